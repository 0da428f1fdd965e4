#include "ui/DefaultTaskDialogs.h"

namespace kelvanto
{

std::optional<Task> DefaultTaskDialogs::newTask(QWidget* parent, TaskDialogContext& context)
{
    return runNewTaskWizard(parent, context);
}

bool DefaultTaskDialogs::editTask(QWidget* parent, TaskDialogContext& context, Task& task)
{
    return runEditTaskSheet(parent, context, task);
}

void DefaultTaskDialogs::showProperties(QWidget* parent, TaskDialogContext& context, const Task& task)
{
    showTaskProperties(parent, context, task);
}

} // namespace kelvanto
