#pragma once

#include "ui/TaskDialogs.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace kelvanto::test
{

// Stands in for the wizard and the property sheet: New Task hands out the queued tasks (none:
// cancelled), Edit applies the queued change (none: cancelled), Properties is recorded.
class FakeTaskDialogs final : public TaskDialogs
{
public:
    void finishWizardWith(Task task) { m_newTasks.push_back(std::move(task)); }
    void editWith(std::function<void(Task&)> change) { m_edits.push_back(std::move(change)); }

    std::optional<Task> newTask(QWidget*, TaskDialogContext&) override
    {
        ++wizardRuns;
        if (m_newTasks.empty())
            return std::nullopt;
        Task task = std::move(m_newTasks.front());
        m_newTasks.pop_front();
        return task;
    }
    bool editTask(QWidget*, TaskDialogContext&, Task& task) override
    {
        edited.push_back(task.name);
        if (m_edits.empty())
            return false;
        m_edits.front()(task);
        m_edits.pop_front();
        return true;
    }
    void showProperties(QWidget*, TaskDialogContext&, const Task& task) override { properties.push_back(task.name); }

    int wizardRuns = 0;
    std::vector<std::string> edited;
    std::vector<std::string> properties;

private:
    std::deque<Task> m_newTasks;
    std::deque<std::function<void(Task&)>> m_edits;
};

} // namespace kelvanto::test
