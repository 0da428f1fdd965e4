#include "ui/Messages.h"

namespace kelvanto
{

bool Messages::Ask(QWidget* parent, const QString& text, Buttons buttons)
{
    return Show(parent, Icon::Question, text, buttons) == Answer::Yes;
}

void Messages::Warning(QWidget* parent, const QString& text)
{
    Show(parent, Icon::Warning, text, Buttons::Ok);
}

void Messages::Error(QWidget* parent, const QString& text)
{
    Show(parent, Icon::Error, text, Buttons::Ok);
}

void Messages::Information(QWidget* parent, const QString& text)
{
    Show(parent, Icon::Information, text, Buttons::Ok);
}

} // namespace kelvanto
