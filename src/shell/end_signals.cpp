#include "shell/end_signals.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int kEndSignals[] = {SIGTERM, SIGHUP, SIGINT};

// The pipe from the handler to the main thread: the handler only writes the
// signal's number, which is all a handler may safely do.
int g_pipe[2] = {-1, -1};

void OnEndSignal(int sig)
{
    const int saved = errno;
    const unsigned char byte = static_cast<unsigned char>(sig);
    [[maybe_unused]] const ssize_t n = ::write(g_pipe[1], &byte, 1);
    errno = saved;
}

void SetHandler(void (*handler)(int))
{
    struct sigaction sa = {};
    sa.sa_handler = handler;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (int sig : kEndSignals)
        sigaction(sig, &sa, nullptr);
}

}  // namespace

MCEndSignals::MCEndSignals(std::function<void(int)> onEnd, QObject* parent) : QObject(parent), onEnd_(std::move(onEnd))
{
    if (g_pipe[0] >= 0 || ::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    notifier_ = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &MCEndSignals::Readable);
    SetHandler(&OnEndSignal);
}

MCEndSignals::~MCEndSignals()
{
    if (!notifier_)
        return;
    SetHandler(SIG_DFL);
    delete notifier_;
    ::close(g_pipe[0]);
    ::close(g_pipe[1]);
    g_pipe[0] = g_pipe[1] = -1;
}

void MCEndSignals::Readable()
{
    unsigned char byte = 0;
    while (::read(g_pipe[0], &byte, 1) == 1) {
        // Later signals are the same request again: a session's end sends
        // SIGHUP right after SIGTERM.
        if (bEnded_)
            continue;
        bEnded_ = true;
        if (onEnd_)
            onEnd_(int(byte));
    }
}
