#pragma once

#include "ui/wizard/TaskPage.h"

#include <string>

class QLineEdit;
class QPlainTextEdit;

namespace kelvanto
{

// The task's name and comment. The name must be non-empty and differ from every other task's
// name (exact comparison); the task being edited may keep its own. A new task is proposed the
// name "Task N" with N one more than the number of tasks.
class TaskNamePage : public TaskPage
{
    Q_OBJECT

public:
    explicit TaskNamePage(TaskPageSession& session, QWidget* parent = nullptr);

    QString title() const override;
    void load(const Task& task) override;
    bool validate() override;
    void save(Task& task) override;

private:
    std::string name() const;

    std::string m_loadedName;
    std::string m_loadedComment;
    QString m_shownName;
    QString m_shownComment;
    QLineEdit* m_name;
    QPlainTextEdit* m_comment;
};

} // namespace kelvanto
