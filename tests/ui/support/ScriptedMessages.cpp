#include "tests/ui/support/ScriptedMessages.h"

namespace kelvanto::test
{

Messages::Answer ScriptedMessages::show(QWidget*, Icon icon, const QString& text, Buttons buttons)
{
    shown.push_back(Shown {Shown::Kind::Box, icon, buttons, text});
    if (onShown)
        onShown(shown.back());
    if (buttons == Buttons::Ok)
        return Messages::Answer::Ok;
    if (m_answers.empty()) {
        ++unanswered;
        return buttons == Buttons::YesNo ? Messages::Answer::No : Messages::Answer::Cancel;
    }
    const Messages::Answer answer = m_answers.front();
    m_answers.pop_front();
    return answer;
}

void ScriptedMessages::connectionFailure(QWidget*, const QString& text)
{
    shown.push_back(Shown {Shown::Kind::ConnectionFailure, Icon::Error, Buttons::Ok, text});
    if (onShown)
        onShown(shown.back());
}

Messages::AutoRunAnswer ScriptedMessages::askAutoRun(QWidget*, const QString& text)
{
    shown.push_back(Shown {Shown::Kind::AutoRun, Icon::Question, Buttons::YesNo, text});
    if (onShown)
        onShown(shown.back());
    if (m_autoRun.empty()) {
        ++unanswered;
        return AutoRunAnswer {};
    }
    const AutoRunAnswer answer = m_autoRun.front();
    m_autoRun.pop_front();
    return answer;
}

QStringList ScriptedMessages::texts() const
{
    QStringList texts;
    for (const Shown& box : shown)
        texts << box.text;
    return texts;
}

QString ScriptedMessages::lastText() const
{
    return shown.empty() ? QString() : shown.back().text;
}

} // namespace kelvanto::test
