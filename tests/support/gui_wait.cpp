#include "support/gui_wait.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

void WhenModalShows(std::function<void(QWidget*)> act, int ms)
{
    auto* poll = new QTimer;
    auto since = std::make_shared<QElapsedTimer>();
    since->start();
    poll->setInterval(5);
    QObject::connect(poll, &QTimer::timeout, [=] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal && since->elapsed() < ms)
            return;
        poll->stop();
        poll->deleteLater();
        act(modal);
    });
    poll->start();
}

int RunWhenShown(QDialog& dialog, const std::function<void()>& act, const std::function<int()>& run, int ms)
{
    bool acted = false;
    QElapsedTimer clock;
    clock.start();
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (!acted && dialog.isVisible()) {
            acted = true;
            act();
        } else if (clock.elapsed() > ms && dialog.isVisible()) {
            ADD_FAILURE() << "the dialog was left open";
            dialog.done(99);
        }
    });
    poll.start(10);
    return run();
}
