#include "ui/Messages.h"

namespace kelvanto
{

bool Messages::ask(QWidget* parent, const QString& text, Buttons buttons)
{
    return show(parent, Icon::Question, text, buttons) == Answer::Yes;
}

void Messages::warning(QWidget* parent, const QString& text)
{
    show(parent, Icon::Warning, text, Buttons::Ok);
}

void Messages::error(QWidget* parent, const QString& text)
{
    show(parent, Icon::Error, text, Buttons::Ok);
}

void Messages::information(QWidget* parent, const QString& text)
{
    show(parent, Icon::Information, text, Buttons::Ok);
}

} // namespace kelvanto
