#pragma once

#include "ui/Notifier.h"

#include <QDBusConnection>
#include <QObject>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <map>

namespace kelvanto
{

// Notifications through the desktop's notification service (org.freedesktop.Notifications
// on the session bus): Notify with a "default" action, whose ActionInvoked signal is the
// click. Texts are escaped when the service reads markup in the body. Without a session bus
// or a service, notify() does nothing.
class DBusNotifier : public QObject, public Notifier
{
    Q_OBJECT

public:
    static constexpr const char* kService = "org.freedesktop.Notifications";
    static constexpr const char* kPath = "/org/freedesktop/Notifications";
    static constexpr const char* kInterface = "org.freedesktop.Notifications";

    explicit DBusNotifier(QDBusConnection bus = QDBusConnection::sessionBus(), QObject* parent = nullptr);

    void notify(const Notification& notification) override;
    // Notifications shown and not yet closed or clicked.
    std::size_t pending() const { return m_clicks.size(); }

private slots:
    void actionInvoked(uint id, const QString& action);
    void notificationClosed(uint id, uint reason);

private:
    QDBusConnection m_bus;
    bool m_markup = true; // until the service says otherwise, escape
    std::map<std::uint32_t, std::function<void()>> m_clicks;
};

} // namespace kelvanto
