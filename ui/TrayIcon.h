#pragma once

#include <QMenu>
#include <QObject>
#include <QSystemTrayIcon>

namespace kelvanto
{

// The icon in the notification area. It exists only while the main window is hidden; its
// tooltip is the window title. A left click asks for the window; the right button opens
// "Sho&w" (the default), "&Options...", "&User Manual" and "E&xit" — only "Sho&w" while the
// window is protected by a login.
class TrayIcon : public QObject
{
    Q_OBJECT

public:
    explicit TrayIcon(QObject* parent = nullptr);

    void show(bool loginProtected);
    void hide();
    bool isShown() const { return m_shown; }
    // A message beside the icon (shown only while the icon is); messageClicked tells of a click.
    void showMessage(const QString& title, const QString& text, bool failure);
    // The warning overlay on the icon, and a second line in its tooltip, while the last run of
    // some task failed.
    void setWarning(bool warning);
    bool warning() const { return m_warning; }
    // The menu the icon offers now.
    QMenu& menu() { return m_menu; }

signals:
    void showRequested();
    void optionsRequested();
    void manualRequested();
    void exitRequested();
    void messageClicked();

private:
    void buildMenu(bool loginProtected);

    QSystemTrayIcon m_icon;
    QMenu m_menu;
    bool m_shown = false;
    bool m_warning = false;
};

} // namespace kelvanto
