#include "support/gui_wait.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

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
