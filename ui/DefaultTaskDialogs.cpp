#include "ui/TaskDialogs.h"

namespace kelvanto
{

std::optional<Task> DefaultTaskDialogs::NewTask(QWidget* parent, TaskDialogContext& context)
{
    return RunNewTaskWizard(parent, context);
}

bool DefaultTaskDialogs::EditTask(QWidget* parent, TaskDialogContext& context, Task& task)
{
    return RunEditTaskSheet(parent, context, task);
}

void DefaultTaskDialogs::ShowProperties(QWidget* parent, TaskDialogContext& context, const Task& task)
{
    ShowTaskProperties(parent, context, task);
}

} // namespace kelvanto
