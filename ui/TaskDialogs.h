#pragma once

#include "model/Task.h"

#include <optional>

class QWidget;

namespace kelvanto
{

class TaskDialogContext;

// The task wizard and the task property sheet, as the task list's commands open them.

// New Task: the "Create a new task" dialog and the wizard. The finished task (its name
// checked, everything set that the pages set), or nullopt when the user cancelled. The caller
// adds it (TaskCommands::CreateTask).
std::optional<Task> runNewTaskWizard(QWidget* parent, TaskDialogContext& context);
// Edit Task: the property sheet in edit mode, titled "Edit Task - " + name, on task (a copy
// of a Stopped task). True when OK changed task.
bool runEditTaskSheet(QWidget* parent, TaskDialogContext& context, Task& task);
// Properties: the read-only property sheet, titled "Task Properties - " + name.
void showTaskProperties(QWidget* parent, TaskDialogContext& context, const Task& task);

// The same three behind an interface, so that the main window's tests can stand in for them.
class TaskDialogs
{
public:
    virtual ~TaskDialogs() = default;
    virtual std::optional<Task> newTask(QWidget* parent, TaskDialogContext& context) = 0;
    virtual bool editTask(QWidget* parent, TaskDialogContext& context, Task& task) = 0;
    virtual void showProperties(QWidget* parent, TaskDialogContext& context, const Task& task) = 0;
};

} // namespace kelvanto
