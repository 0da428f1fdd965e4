#pragma once

#include "ui/DBusNotifier.h"
#include "ui/Notifier.h"

#include <QObject>

#include <functional>

namespace kelvanto
{

class TrayIcon;

// The program's notifications: beside the notification-area icon while it is shown (the
// window is hidden there), otherwise through the desktop's notification service over D-Bus,
// which also serves desktops without a notification area.
class DesktopNotifier : public QObject, public Notifier
{
    Q_OBJECT

public:
    explicit DesktopNotifier(TrayIcon& tray, QObject* parent = nullptr);

    void notify(const Notification& notification) override;

private:
    TrayIcon& m_tray;
    DBusNotifier m_bus;
    // What a click on the icon's message does: the icon shows one message at a time.
    std::function<void()> m_trayClick;
};

} // namespace kelvanto
