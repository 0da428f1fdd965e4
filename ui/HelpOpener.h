#pragma once

#include <QString>

namespace kelvanto
{

// Opens the pages of the user manual and the program's links. A manual page is named by its
// topic path, such as "::/introduction/tasklog.html"; the page is a file of the installed
// HTML manual, opened in the desktop's browser. Tests record the requests instead.
class HelpOpener
{
public:
    static constexpr const char* kIndexTopic = "::/index.html";

    virtual ~HelpOpener() = default;

    virtual void openTopic(const QString& topic) = 0;
    // A web or mail link, through the desktop's handler for it.
    virtual void openLink(const QString& url) = 0;

    // "User Manual": the manual's first page.
    void openManual() { openTopic(QLatin1String(kIndexTopic)); }
};

} // namespace kelvanto
