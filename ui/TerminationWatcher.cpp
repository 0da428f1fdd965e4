#include "ui/TerminationWatcher.h"

#include <QSocketNotifier>

#include <atomic>
#include <csignal>

#include <sys/socket.h>
#include <unistd.h>

namespace kelvanto
{

namespace
{

std::atomic<int> g_writeFd {-1};

extern "C" void OnTermination(int)
{
    const int fd = g_writeFd.load();
    if (fd >= 0) {
        const char byte = 1;
        (void)!::write(fd, &byte, 1);
    }
}

} // namespace

TerminationWatcher::TerminationWatcher(QObject* parent)
    : QObject(parent)
{
    int fds[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, fds) != 0)
        return;
    m_read = UniqueFd(fds[0]);
    g_writeFd.store(fds[1]);
    struct sigaction action
    { };
    action.sa_handler = OnTermination;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);
    m_notifier = new QSocketNotifier(m_read.get(), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] {
        char buffer[16];
        while (::read(m_read.get(), buffer, sizeof buffer) > 0) { }
        emit terminationRequested();
    });
}

TerminationWatcher::~TerminationWatcher()
{
    struct sigaction action
    { };
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);
    const int fd = g_writeFd.exchange(-1);
    if (fd >= 0)
        ::close(fd);
}

} // namespace kelvanto
