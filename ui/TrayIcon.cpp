#include "ui/TrayIcon.h"

#include "ui/UiTexts.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>

namespace kelvanto
{

TrayIcon::TrayIcon(QObject* parent)
    : QObject(parent)
    , m_icon(QIcon(QStringLiteral(":/kelvanto/kelvanto.svg")))
{
    m_icon.setToolTip(texts::tr(texts::kMainTitle));
    m_icon.setContextMenu(&m_menu);
    connect(&m_icon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
            emit showRequested();
    });
    connect(&m_icon, &QSystemTrayIcon::messageClicked, this, &TrayIcon::messageClicked);
}

namespace
{

constexpr int kIconSize = 64;

// The program's icon with the style's warning sign over its lower right quarter.
QIcon WarningIcon()
{
    QPixmap pixmap = QIcon(QStringLiteral(":/kelvanto/kelvanto.svg")).pixmap(kIconSize, kIconSize);
    QPainter painter(&pixmap);
    const QIcon sign = QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning);
    painter.drawPixmap(kIconSize / 2, kIconSize / 2, sign.pixmap(kIconSize / 2, kIconSize / 2));
    painter.end();
    return QIcon(pixmap);
}

} // namespace

void TrayIcon::showMessage(const QString& title, const QString& text, bool failure)
{
    m_icon.showMessage(title, text, failure ? QSystemTrayIcon::Warning : QSystemTrayIcon::Information);
}

void TrayIcon::setWarning(bool warning)
{
    if (warning == m_warning)
        return;
    m_warning = warning;
    m_icon.setIcon(warning ? WarningIcon() : QIcon(QStringLiteral(":/kelvanto/kelvanto.svg")));
    m_icon.setToolTip(warning ? texts::tr(texts::kMainTitle) + QLatin1Char('\n') + tr("The last run of a task failed")
                              : texts::tr(texts::kMainTitle));
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
