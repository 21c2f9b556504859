#include "window/quitsignals.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr int kSignals[] = { SIGTERM, SIGINT, SIGHUP };
int g_pair[2] = { -1, -1 };

extern "C" void forwardSignal(int signalNumber)
{
    const int saved = errno;
    const unsigned char number = static_cast<unsigned char>(signalNumber);
    // Nothing else is safe in a handler; a full pair only drops a repeat.
    [[maybe_unused]] const ssize_t written = ::write(g_pair[0], &number, 1);
    errno = saved;
}

} // namespace

QuitSignals::QuitSignals(QObject *parent)
    : QObject(parent)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, g_pair) != 0)
    {
        qWarning("Cannot receive quit signals: no socket pair");
        return;
    }
    m_notifier = new QSocketNotifier(g_pair[1], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &QuitSignals::readPending);
    struct sigaction action = {};
    action.sa_handler = forwardSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signalNumber : kSignals)
    {
        ::sigaction(signalNumber, &action, nullptr);
    }
}

QuitSignals::~QuitSignals()
{
    if (!m_notifier)
    {
        return;
    }
    struct sigaction action = {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    for (int signalNumber : kSignals)
    {
        ::sigaction(signalNumber, &action, nullptr);
    }
    delete m_notifier;
    ::close(g_pair[0]);
    ::close(g_pair[1]);
    g_pair[0] = g_pair[1] = -1;
}

void QuitSignals::readPending()
{
    unsigned char number = 0;
    while (::read(g_pair[1], &number, 1) == 1)
    {
        Q_EMIT received(number);
    }
}
