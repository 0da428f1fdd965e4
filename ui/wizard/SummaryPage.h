#pragma once

#include "ui/wizard/TaskPage.h"

class QPlainTextEdit;

namespace kelvanto
{

// The wizard's last page: "Task Information:" with the task's summary, and how to finish.
class SummaryPage : public TaskPage
{
    Q_OBJECT

public:
    explicit SummaryPage(TaskPageSession& session, QWidget* parent = nullptr);

    QString title() const override;
    void load(const Task& task) override;
    void enter(const Task& task) override;

private:
    QPlainTextEdit* m_summary;
};

} // namespace kelvanto
