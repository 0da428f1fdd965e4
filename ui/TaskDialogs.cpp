#include "ui/TaskDialogs.h"

#include "ui/Messages.h"
#include "ui/TaskDialogContext.h"

namespace kelvanto
{

// Placeholders until the wizard and the property sheet arrive: they say so and change nothing.

namespace
{

constexpr const char* kComesLater = "The task wizard and the task property sheet come with the next version of "
                                    "Kelvanto.\n\nUntil then, tasks are created with \"kelvanto-cli task import\" "
                                    "and shown with \"kelvanto-cli task export\".";

} // namespace

std::optional<Task> RunNewTaskWizard(QWidget* parent, TaskDialogContext& context)
{
    context.messages().Information(parent, kComesLater);
    return std::nullopt;
}

bool RunEditTaskSheet(QWidget* parent, TaskDialogContext& context, Task&)
{
    context.messages().Information(parent, kComesLater);
    return false;
}

void ShowTaskProperties(QWidget* parent, TaskDialogContext& context, const Task&)
{
    context.messages().Information(parent, kComesLater);
}

} // namespace kelvanto
