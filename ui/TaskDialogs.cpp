#include "ui/TaskDialogs.h"

#include "ui/TaskDialogContext.h"
#include "ui/wizard/NewTaskDialog.h"
#include "ui/wizard/TaskPropertiesDialog.h"
#include "ui/wizard/TaskWizard.h"

namespace kelvanto
{

std::optional<Task> runNewTaskWizard(QWidget* parent, TaskDialogContext& context)
{
    NewTaskDialog chooser(context.messages(), context.help(), parent);
    if (chooser.exec() != QDialog::Accepted)
        return std::nullopt;
    TaskWizard wizard(context, static_cast<int>(chooser.chosenType()), parent);
    if (wizard.exec() != QDialog::Accepted)
        return std::nullopt;
    return wizard.task();
}

bool runEditTaskSheet(QWidget* parent, TaskDialogContext& context, Task& task)
{
    TaskPropertiesDialog sheet(context, SheetMode::Edit, task, parent);
    if (sheet.exec() != QDialog::Accepted)
        return false;
    task = sheet.task();
    return true;
}

void showTaskProperties(QWidget* parent, TaskDialogContext& context, const Task& task)
{
    TaskPropertiesDialog sheet(context, SheetMode::View, task, parent);
    sheet.exec();
}

} // namespace kelvanto
