#pragma once

#include "ui/Messages.h"

namespace kelvanto
{

class HelpOpener;

// The real message boxes: QMessageBox with the caption "Kelvanto", and the program's own
// connection-failure and start-with-login dialogs.
class QtMessages final : public Messages
{
public:
    explicit QtMessages(HelpOpener& help)
        : m_help(help)
    { }

    Answer show(QWidget* parent, Icon icon, const QString& text, Buttons buttons) override;
    void connectionFailure(QWidget* parent, const QString& text) override;
    AutoRunAnswer askAutoRun(QWidget* parent, const QString& text) override;

private:
    HelpOpener& m_help;
};

} // namespace kelvanto
