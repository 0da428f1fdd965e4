#include "ui/DesktopNotifier.h"

#include "ui/TrayIcon.h"

namespace kelvanto
{

DesktopNotifier::DesktopNotifier(TrayIcon& tray, QObject* parent)
    : QObject(parent)
    , m_tray(tray)
{
    connect(&m_tray, &TrayIcon::messageClicked, this, [this] {
        if (const std::function<void()> clicked = std::exchange(m_trayClick, {}))
            clicked();
    });
}

void DesktopNotifier::notify(const Notification& notification)
{
    if (m_tray.isShown()) {
        m_trayClick = notification.clicked;
        m_tray.showMessage(notification.title, notification.text, notification.failure);
        return;
    }
    m_bus.notify(notification);
}

} // namespace kelvanto
