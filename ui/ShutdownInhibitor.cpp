#include "ui/ShutdownInhibitor.h"

#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusReply>
#include <QDBusUnixFileDescriptor>

#include <fcntl.h>

namespace kelvanto
{

UniqueFd ShutdownInhibitor::takeLogindLock()
{
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected())
        return UniqueFd();
    QDBusInterface manager(QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
        QStringLiteral("org.freedesktop.login1.Manager"), bus);
    if (!manager.isValid())
        return UniqueFd();
    manager.setTimeout(2000);
    const QDBusReply<QDBusUnixFileDescriptor> reply
        = manager.call(QStringLiteral("Inhibit"), QStringLiteral("shutdown:sleep"), QStringLiteral("Kelvanto"),
            tr("A scheduled task is running"), QStringLiteral("block"));
    if (!reply.isValid() || !reply.value().isValid())
        return UniqueFd();
    // The reply's descriptor closes with the reply; keep a copy of our own.
    return UniqueFd(fcntl(reply.value().fileDescriptor(), F_DUPFD_CLOEXEC, 0));
}

ShutdownInhibitor::ShutdownInhibitor(TakeLock takeLock)
    : m_takeLock(std::move(takeLock))
{ }

void ShutdownInhibitor::update(bool wanted)
{
    if (wanted && !m_wanted)
        m_lock = m_takeLock();
    else if (!wanted)
        m_lock.close();
    m_wanted = wanted;
}

} // namespace kelvanto
