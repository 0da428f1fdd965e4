#pragma once

#include "ui/Messages.h"

#include <QString>
#include <QStringList>

#include <deque>
#include <functional>
#include <vector>

namespace kelvanto::test
{

// The message interface for tests: answers are queued in advance, and every box shown is
// recorded with its text, icon and buttons, so that no test ever waits on a real box.
// A question with no queued answer is answered No (Cancel for Yes/No/Cancel) and counted in
// `unanswered`, so a test that forgot to script one fails on that count, not on a hang.
class ScriptedMessages final : public Messages
{
public:
    struct Shown
    {
        enum class Kind {
            Box,
            ConnectionFailure,
            AutoRun,
        };
        Kind kind = Kind::Box;
        Icon icon = Icon::Information;
        Buttons buttons = Buttons::Ok;
        QString text;
    };

    // The answers of the next questions, in order.
    void addAnswer(Messages::Answer answer) { m_answers.push_back(answer); }
    void answerYes() { addAnswer(Messages::Answer::Yes); }
    void answerNo() { addAnswer(Messages::Answer::No); }
    void answerCancel() { addAnswer(Messages::Answer::Cancel); }
    void answerAutoRun(bool yes, bool dontAskAgain) { m_autoRun.push_back({yes, dontAskAgain}); }

    Messages::Answer show(QWidget* parent, Icon icon, const QString& text, Buttons buttons) override;
    void connectionFailure(QWidget* parent, const QString& text) override;
    AutoRunAnswer askAutoRun(QWidget* parent, const QString& text) override;

    // Every text shown, in order; the last one, or empty.
    QStringList texts() const;
    QString lastText() const;
    // Forgets what was shown (the queued answers stay).
    void clearShown() { shown.clear(); }
    std::size_t pendingAnswers() const { return m_answers.size() + m_autoRun.size(); }

    std::vector<Shown> shown;
    int unanswered = 0;
    // Called with every box as it is shown, before it is answered.
    std::function<void(const Shown&)> onShown;

private:
    std::deque<Messages::Answer> m_answers;
    std::deque<AutoRunAnswer> m_autoRun;
};

} // namespace kelvanto::test
