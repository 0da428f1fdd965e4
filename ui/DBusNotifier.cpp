#include "ui/DBusNotifier.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>

namespace kelvanto
{

namespace
{

constexpr int kDefaultTimeout = -1; // the service's own
constexpr unsigned char kNormalUrgency = 1;
constexpr unsigned char kCriticalUrgency = 2;

} // namespace

DBusNotifier::DBusNotifier(QDBusConnection bus, QObject* parent)
    : QObject(parent)
    , m_bus(std::move(bus))
{
    if (!m_bus.isConnected())
        return;
    m_bus.connect(QString::fromLatin1(kService), QString::fromLatin1(kPath), QString::fromLatin1(kInterface),
        QStringLiteral("ActionInvoked"), this, SLOT(actionInvoked(uint, QString)));
    m_bus.connect(QString::fromLatin1(kService), QString::fromLatin1(kPath), QString::fromLatin1(kInterface),
        QStringLiteral("NotificationClosed"), this, SLOT(notificationClosed(uint, uint)));
    const QDBusMessage ask = QDBusMessage::createMethodCall(QString::fromLatin1(kService), QString::fromLatin1(kPath),
        QString::fromLatin1(kInterface), QStringLiteral("GetCapabilities"));
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(ask), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* call) {
        const QDBusPendingReply<QStringList> reply = *call;
        if (reply.isValid())
            m_markup = reply.value().contains(QStringLiteral("body-markup"));
        call->deleteLater();
    });
}

void DBusNotifier::notify(const Notification& notification)
{
    if (!m_bus.isConnected())
        return;
    // Task names and error lines come from task files and servers: never read as markup.
    const QString body = m_markup ? notification.text.toHtmlEscaped() : notification.text;
    QVariantMap hints;
    hints.insert(QStringLiteral("urgency"),
        QVariant::fromValue(static_cast<uchar>(notification.failure ? kCriticalUrgency : kNormalUrgency)));
    hints.insert(QStringLiteral("desktop-entry"), QStringLiteral("kelvanto"));
    QDBusMessage call = QDBusMessage::createMethodCall(QString::fromLatin1(kService), QString::fromLatin1(kPath),
        QString::fromLatin1(kInterface), QStringLiteral("Notify"));
    call << QStringLiteral("Kelvanto") << 0u << QStringLiteral("kelvanto") << notification.title << body
         << QStringList {QStringLiteral("default"), tr("Open the task's log")} << hints << kDefaultTimeout;
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
        [this, clicked = notification.clicked](QDBusPendingCallWatcher* pending) {
            const QDBusPendingReply<uint> reply = *pending;
            if (reply.isValid() && clicked)
                m_clicks[reply.value()] = clicked;
            else if (reply.isError())
                qWarning("kelvanto: the desktop notification was not shown: %s", qPrintable(reply.error().message()));
            pending->deleteLater();
        });
}

void DBusNotifier::actionInvoked(uint id, const QString& action)
{
    const auto found = m_clicks.find(id);
    if (found == m_clicks.end() || action != QStringLiteral("default"))
        return;
    const std::function<void()> clicked = found->second;
    m_clicks.erase(found);
    clicked();
}

void DBusNotifier::notificationClosed(uint id, uint)
{
    m_clicks.erase(id);
}

} // namespace kelvanto
