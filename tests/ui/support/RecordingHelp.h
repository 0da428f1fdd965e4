#pragma once

#include "ui/HelpOpener.h"

#include <QStringList>

namespace kelvanto::test
{

// Records the manual pages and links asked for instead of opening a browser.
class RecordingHelp final : public HelpOpener
{
public:
    void openTopic(const QString& topic) override { topics << topic; }
    void openLink(const QString& url) override { links << url; }

    QStringList topics;
    QStringList links;
};

} // namespace kelvanto::test
