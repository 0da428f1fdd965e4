#include "ui/TrayIcon.h"

#include "ui/UiTexts.h"

namespace kelvanto
{

TrayIcon::TrayIcon(QObject* parent)
    : QObject(parent)
    , m_icon(QIcon(":/kelvanto/kelvanto.svg"))
{
    m_icon.setToolTip(texts::tr(texts::kMainTitle));
    m_icon.setContextMenu(&m_menu);
    connect(&m_icon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
            emit showRequested();
    });
}

void TrayIcon::show(bool loginProtected)
{
    buildMenu(loginProtected);
    m_icon.show();
    m_shown = true;
}

void TrayIcon::hide()
{
    m_icon.hide();
    m_shown = false;
}

void TrayIcon::buildMenu(bool loginProtected)
{
    m_menu.clear();
    QAction* show = m_menu.addAction(tr("Sho&w"), this, &TrayIcon::showRequested);
    show->setObjectName("trayShow");
    m_menu.setDefaultAction(show);
    if (loginProtected)
        return;
    m_menu.addAction(tr("&Options..."), this, &TrayIcon::optionsRequested)->setObjectName("trayOptions");
    m_menu.addAction(tr("&User Manual"), this, &TrayIcon::manualRequested)->setObjectName("trayManual");
    m_menu.addAction(tr("E&xit"), this, &TrayIcon::exitRequested)->setObjectName("trayExit");
}

} // namespace kelvanto
