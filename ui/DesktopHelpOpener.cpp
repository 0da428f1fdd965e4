#include "ui/DesktopHelpOpener.h"

#include "ui/Messages.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

namespace kelvanto
{

namespace
{

bool OpenWithDesktop(const QUrl& url)
{
    if (QDesktopServices::openUrl(url))
        return true;
    return QProcess::startDetached("xdg-open", {url.toString()});
}

} // namespace

QStringList DesktopHelpOpener::manualFolders(const QString& dataFolder)
{
    QStringList folders;
    if (!dataFolder.isEmpty())
        folders << QDir(dataFolder).filePath("help");
    folders << QDir(QCoreApplication::applicationDirPath()).filePath("../share/kelvanto/manual");
    folders << QStringLiteral(KELVANTO_MANUAL_INSTALL_DIR);
    folders << QStringLiteral(KELVANTO_MANUAL_SOURCE_DIR);
    return folders;
}

QString DesktopHelpOpener::pageFor(const QStringList& folders, const QString& topic)
{
    QString relative = topic;
    if (relative.startsWith("::"))
        relative.remove(0, 2);
    while (relative.startsWith('/'))
        relative.remove(0, 1);
    relative = QDir::cleanPath(relative);
    if (relative.isEmpty() || relative == "." || relative.startsWith("..") || QDir::isAbsolutePath(relative))
        return {};
    for (const QString& folder : folders) {
        const QFileInfo page(QDir(folder).filePath(relative));
        if (page.isFile())
            return page.absoluteFilePath();
    }
    return {};
}

DesktopHelpOpener::DesktopHelpOpener(QStringList manualFolders, Messages* messages)
    : m_folders(std::move(manualFolders))
    , m_messages(messages)
{ }

void DesktopHelpOpener::openTopic(const QString& topic)
{
    QString page = pageFor(m_folders, topic);
    if (page.isEmpty())
        page = pageFor(m_folders, kIndexTopic);
    if (page.isEmpty()) {
        if (m_messages)
            m_messages->warning(nullptr,
                "The user manual cannot be found. It is installed with the program in "
                "share/kelvanto/manual.");
        return;
    }
    if (!OpenWithDesktop(QUrl::fromLocalFile(page)) && m_messages)
        m_messages->warning(
            nullptr, "The user manual cannot be opened: no web browser is set up on this desktop.\n\n" + page);
}

void DesktopHelpOpener::openLink(const QString& url)
{
    if (!OpenWithDesktop(QUrl(url)) && m_messages)
        m_messages->warning(nullptr, "No program on this desktop opens the link " + url);
}

} // namespace kelvanto
