#pragma once

#include "ui/wizard/TaskPage.h"

class QLineEdit;
class QPlainTextEdit;

namespace kelvanto
{

// The read-only schedule page: the schedule's title and settings text, and the command that
// runs after a run that did not succeed.
class ScheduleViewPage : public TaskPage
{
    Q_OBJECT

public:
    explicit ScheduleViewPage(TaskPageSession& session, QWidget* parent = nullptr);

    QString title() const override;
    void load(const Task& task) override;

private:
    QLineEdit* m_title;
    QPlainTextEdit* m_settings;
    QLineEdit* m_onFailure;
};

} // namespace kelvanto
