// The signals that end a desktop session's programs (SIGTERM at logout or
// shutdown, SIGHUP when a terminal closes, SIGINT from Ctrl+C) reach the game
// as a call on its main thread, so that it can keep the game before it goes.
#pragma once

#include <QObject>

#include <functional>

class QSocketNotifier;

class MCEndSignals : public QObject {
    Q_OBJECT
public:
    // Catches the signals from now on; onEnd gets the first one's number, on
    // the thread that made this object, once: later ones are ignored (the
    // session sends SIGKILL to what has not ended in time).
    MCEndSignals(std::function<void(int)> onEnd, QObject* parent = nullptr);
    // Gives the signals back their default handling.
    ~MCEndSignals() override;
    // Whether catching could be set up (a pipe and the handlers).
    bool Installed() const { return notifier_ != nullptr; }

private:
    void Readable();
    std::function<void(int)> onEnd_;
    QSocketNotifier* notifier_ = nullptr;
    bool bEnded_ = false;
};
