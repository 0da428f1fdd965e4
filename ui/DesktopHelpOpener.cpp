#include "ui/DesktopHelpOpener.h"

#include "ui/HelpWindow.h"
#include "ui/Messages.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace kelvanto
{

namespace
{

bool OpenWithDesktop(const QUrl& url)
{
    if (QDesktopServices::openUrl(url))
        return true;
    return QProcess::startDetached(QStringLiteral("xdg-open"), {url.toString()});
}

// The topic's place in its page: "#report" of "::/support.html#report"; empty when none.
QString FragmentOf(const QString& topic)
{
    const qsizetype hash = topic.indexOf(QLatin1Char('#'));
    return hash < 0 ? QString() : topic.mid(hash + 1);
}

} // namespace

QStringList DesktopHelpOpener::manualFolders(const QString& dataFolder)
{
    QStringList folders;
    if (!dataFolder.isEmpty())
        folders << QDir(dataFolder).filePath(QStringLiteral("help"));
    folders << QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("../share/kelvanto/manual"));
    folders << QStringLiteral(KELVANTO_MANUAL_INSTALL_DIR);
    folders << QStringLiteral(KELVANTO_MANUAL_SOURCE_DIR);
    return folders;
}

QString DesktopHelpOpener::pageFor(const QStringList& folders, const QString& topic)
{
    QString relative = topic.section(QLatin1Char('#'), 0, 0);
    if (relative.startsWith(QLatin1String("::")))
        relative.remove(0, 2);
    while (relative.startsWith(QLatin1Char('/')))
        relative.remove(0, 1);
    relative = QDir::cleanPath(relative);
    if (relative.isEmpty() || relative == QLatin1String(".") || relative.startsWith(QLatin1String(".."))
        || QDir::isAbsolutePath(relative))
        return {};
    for (const QString& folder : folders) {
        const QFileInfo page(QDir(folder).filePath(relative));
        if (page.isFile())
            return page.absoluteFilePath();
    }
    return {};
}

bool DesktopHelpOpener::browserIsSetUp()
{
    if (!qEnvironmentVariableIsEmpty("BROWSER"))
        return true;
    const QString xdgMime = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
    if (xdgMime.isEmpty())
        return false;
    QProcess query;
    query.start(xdgMime, {QStringLiteral("query"), QStringLiteral("default"), QStringLiteral("text/html")});
    if (!query.waitForFinished(3000)) {
        query.kill();
        query.waitForFinished(1000);
        return false;
    }
    return query.exitCode() == 0 && !query.readAllStandardOutput().trimmed().isEmpty();
}

bool DesktopHelpOpener::openInDesktopBrowser(const QUrl& url)
{
    return browserIsSetUp() && OpenWithDesktop(url);
}

DesktopHelpOpener::DesktopHelpOpener(QStringList manualFolders, Messages* messages, Browser browser)
    : m_folders(std::move(manualFolders))
    , m_messages(messages)
    , m_browser(std::move(browser))
{ }

DesktopHelpOpener::~DesktopHelpOpener() = default;

void DesktopHelpOpener::openTopic(const QString& topic)
{
    QString page = pageFor(m_folders, topic);
    QString fragment = FragmentOf(topic);
    if (page.isEmpty()) {
        page = pageFor(m_folders, QLatin1String(kIndexTopic));
        fragment.clear();
    }
    if (page.isEmpty()) {
        if (m_messages)
            m_messages->warning(nullptr,
                tr("The user manual cannot be found. It is installed with the program in "
                   "share/kelvanto/manual."));
        return;
    }
    QUrl url = QUrl::fromLocalFile(page);
    if (!fragment.isEmpty())
        url.setFragment(fragment);
    if (m_browser && m_browser(url))
        return;
    if (!m_window)
        m_window = std::make_unique<HelpWindow>();
    m_window->setHome(QUrl::fromLocalFile(pageFor(m_folders, QLatin1String(kIndexTopic))));
    m_window->showPage(url);
}

void DesktopHelpOpener::openLink(const QString& url)
{
    if (!OpenWithDesktop(QUrl(url)) && m_messages)
        m_messages->warning(nullptr, tr("No program on this desktop opens the link %1").arg(url));
}

} // namespace kelvanto
