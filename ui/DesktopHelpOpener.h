#pragma once

#include "ui/HelpOpener.h"

#include <QCoreApplication>
#include <QStringList>
#include <QUrl>

#include <functional>
#include <memory>

namespace kelvanto
{

class HelpWindow;
class Messages;

// Opens manual pages and links with the desktop's default handlers (xdg-open when Qt finds
// none). The manual is looked for in a list of folders, first match wins. The desktop's web
// browser is the first choice for a manual page; without one the page opens in the program's
// own help window.
class DesktopHelpOpener final : public HelpOpener
{
    Q_DECLARE_TR_FUNCTIONS(kelvanto::DesktopHelpOpener)

public:
    // Opens a URL in the desktop's browser; false when there is none to open it.
    using Browser = std::function<bool(const QUrl&)>;

    // The folders where the manual may be: the data folder's "help" (a manual the user put
    // there), the installed manual beside the executable (share/kelvanto/manual), the folder
    // the program was installed to, and the source tree's docs/manual for a build that was
    // not installed.
    static QStringList manualFolders(const QString& dataFolder);
    // The page file of a topic in the first folder that has it; empty when none has.
    // "::/introduction/tasklog.html" is "introduction/tasklog.html" below the folder; a place
    // in the page ("#report") is left aside; a topic that would leave the folder is refused.
    static QString pageFor(const QStringList& folders, const QString& topic);
    // Whether a web browser is set up: $BROWSER, or a handler of HTML pages that xdg-mime
    // names. Without one, xdg-open starts but shows nothing.
    static bool browserIsSetUp();
    // The desktop's browser when one is set up.
    static bool openInDesktopBrowser(const QUrl& url);

    DesktopHelpOpener(QStringList manualFolders, Messages* messages, Browser browser = openInDesktopBrowser);
    ~DesktopHelpOpener() override;
    // Messages are set once they exist (they need the opener for their own help button).
    void setMessages(Messages* messages) { m_messages = messages; }

    void openTopic(const QString& topic) override;
    void openLink(const QString& url) override;

    // The help window once a page was opened in it; null before.
    HelpWindow* helpWindow() const { return m_window.get(); }

private:
    QStringList m_folders;
    Messages* m_messages;
    Browser m_browser;
    std::unique_ptr<HelpWindow> m_window;
};

} // namespace kelvanto
