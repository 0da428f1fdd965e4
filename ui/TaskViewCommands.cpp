#include "ui/TaskViewCommands.h"

#include "app/Application.h"
#include "app/TaskCommands.h"
#include "engines/BackupVerification.h"
#include "ui/BackgroundWork.h"
#include "ui/CRenameTaskDlg.h"
#include "ui/CVelmTasksView.h"
#include "ui/FileDialogs.h"
#include "ui/MainContext.h"
#include "ui/Messages.h"
#include "ui/TaskDialogs.h"
#include "ui/TaskLogDialog.h"
#include "ui/UiTexts.h"

namespace kelvanto
{

namespace
{

using Buttons = Messages::Buttons;

} // namespace

TaskViewCommands::TaskViewCommands(CVelmTasksView& view, MainContext& context, QWidget* window)
    : QObject(window)
    , m_view(view)
    , m_context(context)
    , m_window(window)
{ }

void TaskViewCommands::NewTask()
{
    TaskDialogContext dialogContext = m_context.DialogContext();
    std::optional<Task> task = m_context.taskDialogs.NewTask(m_window, dialogContext);
    if (!task)
        return;
    // A Manual task runs at once only when the user says so.
    const bool runNow = task->schedule.kind == ScheduleKind::Manual
        && m_context.messages.Ask(m_window, texts::RunQuestion(task->name));
    auto added = m_context.commands.CreateTask(*task, runNow);
    if (!added) {
        m_context.messages.Warning(m_window, QString::fromStdString(added.error()));
        return;
    }
    m_view.RefreshRows();
    m_view.SelectRows({*added}, *added);
}

void TaskViewCommands::EditTask()
{
    const auto rows = m_view.SelectedRows();
    if (rows.size() != 1) {
        m_context.messages.Warning(m_window, texts::kChooseTaskItem);
        return;
    }
    auto task = m_context.app.CopyOfTask(rows[0]);
    if (!task)
        return;
    if (task->status != TaskStatus::Stopped) {
        m_context.messages.Warning(m_window, texts::kStopFirst);
        return;
    }
    TaskDialogContext dialogContext = m_context.DialogContext();
    if (!m_context.taskDialogs.EditTask(m_window, dialogContext, *task))
        return;
    auto edited = m_context.commands.EditTask(rows[0], *task);
    if (!edited)
        m_context.messages.Warning(m_window, QString::fromStdString(edited.error()));
    m_view.RefreshRows();
}

void TaskViewCommands::Properties()
{
    const auto rows = m_view.SelectedRows();
    if (rows.empty())
        return;
    if (auto task = m_context.app.CopyOfTask(rows[0])) {
        TaskDialogContext dialogContext = m_context.DialogContext();
        m_context.taskDialogs.ShowProperties(m_window, dialogContext, *task);
    }
}

void TaskViewCommands::DeleteTasks()
{
    const auto rows = m_view.SelectedRows();
    if (rows.empty() || !m_context.messages.Ask(m_window, texts::kDeleteQuestion, Buttons::YesNoCancel))
        return;
    const auto deleted = m_context.commands.DeleteTasks(rows);
    m_view.RefreshRows();
    if (!deleted)
        m_context.messages.Error(m_window, QString::fromStdString(deleted.error()));
}

void TaskViewCommands::DeleteAll()
{
    if (m_context.app.TaskCount() == 0
        || !m_context.messages.Ask(m_window, texts::kDeleteAllQuestion, Buttons::YesNoCancel))
        return;
    const auto deleted = m_context.commands.DeleteAll();
    m_view.RefreshRows();
    if (!deleted)
        m_context.messages.Error(m_window, QString::fromStdString(deleted.error()));
}

void TaskViewCommands::CopyTasks()
{
    const auto rows = m_view.SelectedRows();
    if (rows.empty()
        || !m_context.messages.Ask(m_window, QString(texts::kCopyQuestion).arg(rows.size()), Buttons::YesNoCancel))
        return;
    const auto copies = m_context.commands.CopyTasks(rows);
    m_view.RefreshRows();
    if (!copies.empty())
        m_view.SelectRows(copies, m_context.app.TaskCount() - 1);
}

void TaskViewCommands::RenameTask()
{
    const auto rows = m_view.SelectedRows();
    if (rows.size() != 1)
        return;
    const auto task = m_context.app.CopyOfTask(rows[0]);
    if (!task)
        return;
    const std::size_t row = rows[0];
    CRenameTaskDlg dialog(
        QString::fromStdString(task->name),
        [this, row](const QString& name) {
            auto renamed = m_context.commands.RenameTask(row, name.toStdString());
            return renamed ? QString() : QString::fromStdString(renamed.error());
        },
        m_context.messages, m_window);
    dialog.exec();
}

std::optional<Task> TaskViewCommands::FirstSelectedTask()
{
    const auto rows = m_view.SelectedRows();
    if (rows.empty()) {
        m_context.messages.Warning(m_window, texts::kChooseTask);
        return std::nullopt;
    }
    return m_context.app.CopyOfTask(rows[0]);
}

void TaskViewCommands::ViewLog()
{
    const auto task = FirstSelectedTask();
    if (!task)
        return;
    const Options& options = m_context.app.GetOptions();
    TaskLogDialog dialog(m_context.app.Log(), task->name, task->logFileName, options.dateFormat, options.timeFormat,
        TaskLogDialog::Services {m_context.messages, m_context.help, m_context.fileDialogs}, m_window);
    dialog.exec();
}

void TaskViewCommands::VerifyBackup()
{
    const auto task = FirstSelectedTask();
    if (!task)
        return;
    if (task->backupHistory.empty()) {
        m_context.messages.Information(m_window, texts::kNoBackupToVerify);
        return;
    }
    const BackupRun run = task->backupHistory.back();
    const BackupVerification result
        = RunOffUiThread<BackupVerification>(m_window, [&run] { return VerifyBackupRun(run); });
    QString text = result.ok ? texts::kBackupVerified : texts::kBackupNotVerified;
    text += "\n\n";
    for (const std::string& line : result.lines)
        text += QString::fromStdString(line) + "\n";
    if (result.ok)
        m_context.messages.Information(m_window, text);
    else
        m_context.messages.Warning(m_window, text);
}

void TaskViewCommands::SaveAs()
{
    const QString file = m_context.fileDialogs.SaveFile(m_window, texts::kTaskFilesFilter, "tsk");
    if (file.isEmpty())
        return;
    if (m_context.commands.SaveAs(file.toStdString()))
        m_context.messages.Information(m_window, texts::kSaveAsDone);
    else
        m_context.messages.Error(m_window, texts::kSaveAsFailed);
}

void TaskViewCommands::LoadFrom()
{
    const QString file = m_context.fileDialogs.OpenFile(m_window, texts::kTaskFilesFilter);
    if (file.isEmpty() || !m_context.messages.Ask(m_window, texts::kLoadQuestion, Buttons::YesNoCancel))
        return;
    const bool refreshing = m_view.Refreshing();
    m_view.StopRefresh();
    const bool loaded = m_context.commands.LoadFrom(file.toStdString()).ok();
    m_view.RebuildRows();
    if (refreshing)
        m_view.StartRefresh();
    if (loaded) {
        m_context.messages.Information(m_window, texts::kLoadDone);
        for (const std::string& notice : m_context.app.TakeLoadNotices())
            m_context.messages.Warning(m_window, QString::fromStdString(notice));
    } else
        m_context.messages.Error(m_window, texts::kLoadFailed);
}

void TaskViewCommands::Start()
{
    m_context.commands.StartTasks(m_view.SelectedRows());
    m_view.RefreshRows();
}

void TaskViewCommands::Stop()
{
    m_context.commands.StopTasks(m_view.SelectedRows(),
        [this](const Task& task) { return m_context.messages.Ask(m_window, texts::StopRunningQuestion(task.name)); });
    m_view.RefreshRows();
}

void TaskViewCommands::RunImmediately()
{
    m_context.commands.RunImmediately(m_view.SelectedRows(),
        [this](const Task& task) { return m_context.messages.Ask(m_window, texts::RunQuestion(task.name)); });
    m_view.RefreshRows();
}

void TaskViewCommands::StartAll()
{
    if (!m_context.messages.Ask(m_window, texts::kStartAllQuestion, Buttons::YesNoCancel))
        return;
    m_context.commands.StartAll();
    m_view.RefreshRows();
}

void TaskViewCommands::StopAll()
{
    if (!m_context.messages.Ask(m_window, texts::kStopAllQuestion, Buttons::YesNoCancel))
        return;
    m_context.commands.StopAll();
    m_view.RefreshRows();
}

void TaskViewCommands::SelectAll()
{
    m_view.SelectAll();
}

} // namespace kelvanto
