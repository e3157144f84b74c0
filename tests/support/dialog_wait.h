// Waiting for dialogs in the GUI tests: every wait has a deadline, none is a
// fixed sleep.
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

// Runs the event loop until pred holds or ms have passed; answers pred.
inline bool WaitUntil(const std::function<bool()>& pred, int ms = 5000)
{
    QElapsedTimer t;
    t.start();
    while (!pred()) {
        if (t.elapsed() > ms)
            return false;
        QTest::qWait(10);
    }
    return true;
}

// Once a modal window of type T is up (within ms), runs fn on it; polled
// from the event loop, so it works inside exec() of the code under test.
template <class T>
void WhenModal(std::function<void(T*)> fn, int ms = 5000)
{
    auto* timer = new QTimer;
    auto* clock = new QElapsedTimer;
    clock->start();
    QObject::connect(timer, &QTimer::timeout, [timer, clock, fn, ms] {
        T* w = qobject_cast<T*>(QApplication::activeModalWidget());
        if (w && !w->isVisible())
            w = nullptr;
        if (!w && clock->elapsed() < ms)
            return;
        timer->stop();
        timer->deleteLater();
        delete clock;
        if (w)
            fn(w);
    });
    timer->start(10);
}

// Closes the next message box (within ms) and keeps its text in *text.
inline void CloseMessageWhenShown(QString* text, int ms = 5000)
{
    WhenModal<QMessageBox>(
        [text](QMessageBox* box) {
            *text = box->text();
            box->accept();
        },
        ms);
}

// Clicks the button titled `title` (as read, without its mnemonic mark) of
// the next message box, or closes the box when it has no such button; `seen`
// gets the box first.
inline void AnswerNextBox(const QString& title, std::function<void(QMessageBox*)> seen = {}, int ms = 10000)
{
    WhenModal<QMessageBox>(
        [=](QMessageBox* box) {
            if (seen)
                seen(box);
            for (QAbstractButton* b : box->buttons())
                if (b->text().remove(QLatin1Char('&')) == title)
                    return b->click();
            box->close();
        },
        ms);
}

// Starts `run` (which shows `dialog`, often modally) and calls act once the
// dialog is visible; a dialog still open `ms` later is closed with 99 and
// the test fails. Answers what run answers.
inline int RunWhenShown(QDialog& dialog, const std::function<void()>& act, const std::function<int()>& run,
                        int ms = 10000)
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
