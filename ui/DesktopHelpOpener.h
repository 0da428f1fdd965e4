#pragma once

#include "ui/HelpOpener.h"

#include <QStringList>

namespace kelvanto
{

class Messages;

// Opens manual pages and links with the desktop's default handlers (xdg-open when Qt finds
// none). The manual is looked for in a list of folders, first match wins.
class DesktopHelpOpener final : public HelpOpener
{
public:
    // The folders where the manual may be: the data folder's "help" (a manual the user put
    // there), the installed manual beside the executable (share/kelvanto/manual), the folder
    // the program was installed to, and the source tree's docs/manual for a build that was
    // not installed.
    static QStringList manualFolders(const QString& dataFolder);
    // The page file of a topic in the first folder that has it; empty when none has.
    // "::/introduction/tasklog.html" is "introduction/tasklog.html" below the folder; a topic
    // that would leave the folder is refused.
    static QString pageFor(const QStringList& folders, const QString& topic);

    DesktopHelpOpener(QStringList manualFolders, Messages* messages);
    // Messages are set once they exist (they need the opener for their own help button).
    void setMessages(Messages* messages) { m_messages = messages; }

    void openTopic(const QString& topic) override;
    void openLink(const QString& url) override;

private:
    QStringList m_folders;
    Messages* m_messages;
};

} // namespace kelvanto
