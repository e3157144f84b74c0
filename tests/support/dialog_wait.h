// Waiting for dialogs in the GUI tests: every wait has a deadline, none is a
// fixed sleep.
#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

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
