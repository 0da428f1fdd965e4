#include "ui/TaskDialogs.h"

#include "ui/TaskDialogContext.h"
#include "ui/wizard/CNewTaskDlg.h"
#include "ui/wizard/CTaskPropertySheet.h"
#include "ui/wizard/CTaskWizardSheet.h"

namespace kelvanto
{

std::optional<Task> RunNewTaskWizard(QWidget* parent, TaskDialogContext& context)
{
    CNewTaskDlg chooser(context.messages(), context.help(), parent);
    if (chooser.exec() != QDialog::Accepted)
        return std::nullopt;
    CTaskWizardSheet wizard(context, static_cast<int>(chooser.ChosenType()), parent);
    if (wizard.exec() != QDialog::Accepted)
        return std::nullopt;
    return wizard.task();
}

bool RunEditTaskSheet(QWidget* parent, TaskDialogContext& context, Task& task)
{
    CTaskPropertySheet sheet(context, SheetMode::Edit, task, parent);
    if (sheet.exec() != QDialog::Accepted)
        return false;
    task = sheet.task();
    return true;
}

void ShowTaskProperties(QWidget* parent, TaskDialogContext& context, const Task& task)
{
    CTaskPropertySheet sheet(context, SheetMode::View, task, parent);
    sheet.exec();
}

} // namespace kelvanto
