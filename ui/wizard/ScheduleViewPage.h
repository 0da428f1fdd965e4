#pragma once

#include "ui/wizard/TaskPage.h"

class QLineEdit;
class QPlainTextEdit;

namespace kelvanto
{

// The read-only schedule page: the schedule's title and settings text.
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
};

} // namespace kelvanto
