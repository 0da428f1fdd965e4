#include "ui/TaskViewCommands.h"

#include "app/Application.h"
#include "app/TaskCommands.h"
#include "engines/backupset/BackupVerification.h"
#include "ui/BackgroundWork.h"
#include "ui/FileDialogs.h"
#include "ui/MainContext.h"
#include "ui/Messages.h"
#include "ui/RenameTaskDialog.h"
#include "ui/TaskDialogs.h"
#include "ui/TaskListView.h"
#include "ui/TaskLogDialog.h"
#include "ui/UiTexts.h"

namespace kelvanto
{

namespace
{

using Buttons = Messages::Buttons;

} // namespace

TaskViewCommands::TaskViewCommands(TaskListView& view, MainContext& context, QWidget* window)
    : QObject(window)
    , m_view(view)
    , m_context(context)
    , m_window(window)
{ }

void TaskViewCommands::newTask()
{
    TaskDialogContext dialogContext = m_context.dialogContext();
    std::optional<Task> task = m_context.taskDialogs.newTask(m_window, dialogContext);
    if (!task)
        return;
    // A Manual task runs at once only when the user says so.
    const bool runNow = task->schedule.kind == ScheduleKind::Manual
        && m_context.messages.ask(m_window, texts::runQuestion(task->name));
    auto added = m_context.commands.CreateTask(*task, runNow);
    if (!added) {
        m_context.messages.warning(m_window, QString::fromStdString(added.error()));
        return;
    }
    m_view.refreshRows();
    m_view.selectRows({*added}, *added);
}

void TaskViewCommands::editTask()
{
    const auto rows = m_view.selectedRows();
    if (rows.size() != 1) {
        m_context.messages.warning(m_window, texts::tr(texts::kChooseTaskItem));
        return;
    }
    auto task = m_context.app.CopyOfTask(rows[0]);
    if (!task)
        return;
    if (task->status != TaskStatus::Stopped) {
        m_context.messages.warning(m_window, texts::tr(texts::kStopFirst));
        return;
    }
    TaskDialogContext dialogContext = m_context.dialogContext();
    if (!m_context.taskDialogs.editTask(m_window, dialogContext, *task))
        return;
    auto edited = m_context.commands.EditTask(rows[0], *task);
    if (!edited)
        m_context.messages.warning(m_window, QString::fromStdString(edited.error()));
    m_view.refreshRows();
}

void TaskViewCommands::properties()
{
    const auto rows = m_view.selectedRows();
    if (rows.empty())
        return;
    if (auto task = m_context.app.CopyOfTask(rows[0])) {
        TaskDialogContext dialogContext = m_context.dialogContext();
        m_context.taskDialogs.showProperties(m_window, dialogContext, *task);
    }
}

void TaskViewCommands::deleteTasks()
{
    const auto rows = m_view.selectedRows();
    if (rows.empty() || !m_context.messages.ask(m_window, texts::tr(texts::kDeleteQuestion), Buttons::YesNoCancel))
        return;
    const auto deleted = m_context.commands.DeleteTasks(rows);
    m_view.refreshRows();
    if (!deleted)
        m_context.messages.error(m_window, QString::fromStdString(deleted.error()));
}

void TaskViewCommands::deleteAll()
{
    if (m_context.app.TaskCount() == 0
        || !m_context.messages.ask(m_window, texts::tr(texts::kDeleteAllQuestion), Buttons::YesNoCancel))
        return;
    const auto deleted = m_context.commands.DeleteAll();
    m_view.refreshRows();
    if (!deleted)
        m_context.messages.error(m_window, QString::fromStdString(deleted.error()));
}

void TaskViewCommands::copyTasks()
{
    const auto rows = m_view.selectedRows();
    if (rows.empty()
        || !m_context.messages.ask(m_window, texts::tr(texts::kCopyQuestion).arg(rows.size()), Buttons::YesNoCancel))
        return;
    const auto copies = m_context.commands.CopyTasks(rows);
    m_view.refreshRows();
    if (!copies.empty())
        m_view.selectRows(copies, m_context.app.TaskCount() - 1);
}

void TaskViewCommands::renameTask()
{
    const auto rows = m_view.selectedRows();
    if (rows.size() != 1)
        return;
    const auto task = m_context.app.CopyOfTask(rows[0]);
    if (!task)
        return;
    const std::size_t row = rows[0];
    RenameTaskDialog dialog(
        QString::fromStdString(task->name),
        [this, row](const QString& name) {
            auto renamed = m_context.commands.RenameTask(row, name.toStdString());
            return renamed ? QString() : QString::fromStdString(renamed.error());
        },
        m_context.messages, m_window);
    dialog.exec();
}

std::optional<Task> TaskViewCommands::firstSelectedTask()
{
    const auto rows = m_view.selectedRows();
    if (rows.empty()) {
        m_context.messages.warning(m_window, texts::tr(texts::kChooseTask));
        return std::nullopt;
    }
    return m_context.app.CopyOfTask(rows[0]);
}

void TaskViewCommands::viewLog()
{
    if (const auto task = firstSelectedTask())
        openLog(*task);
}

void TaskViewCommands::viewLogOf(const std::string& taskId)
{
    for (const Task& task : m_context.app.TaskCopies()) {
        if (task.taskId == taskId)
            return openLog(task);
    }
}

void TaskViewCommands::openLog(const Task& task)
{
    std::erase_if(m_logWindows, [](const auto& entry) { return entry.second.isNull(); });
    if (const QPointer<TaskLogDialog>& open = m_logWindows[task.taskId]) {
        open->showNormal();
        open->raise();
        open->activateWindow();
        return;
    }
    const Options& options = m_context.app.GetOptions();
    auto* dialog
        = new TaskLogDialog(m_context.app.Log(), task.name, task.logFileName, options.dateFormat, options.timeFormat,
            TaskLogDialog::Services {m_context.messages, m_context.help, m_context.fileDialogs}, m_window);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->followTask(task.taskId, [&app = m_context.app](const std::string& taskId) -> std::optional<std::string> {
        for (const Task& current : app.TaskCopies()) {
            if (current.taskId == taskId)
                return current.name;
        }
        return std::nullopt;
    });
    m_logWindows[task.taskId] = dialog;
    dialog->show();
}

void TaskViewCommands::verifyBackup()
{
    const auto task = firstSelectedTask();
    if (!task)
        return;
    if (task->backupHistory.empty()) {
        m_context.messages.information(m_window, texts::tr(texts::kNoBackupToVerify));
        return;
    }
    const BackupRun run = task->backupHistory.back();
    const BackupVerification result
        = runOffUiThread<BackupVerification>(m_window, [&run] { return VerifyBackupRun(run); });
    QString text = result.ok ? texts::tr(texts::kBackupVerified) : texts::tr(texts::kBackupNotVerified);
    text += QLatin1String("\n\n");
    for (const std::string& line : result.lines)
        text += QString::fromStdString(line) + QLatin1Char('\n');
    if (result.ok)
        m_context.messages.information(m_window, text);
    else
        m_context.messages.warning(m_window, text);
}

void TaskViewCommands::saveAs()
{
    const QString file
        = m_context.fileDialogs.saveFile(m_window, texts::tr(texts::kTaskFilesFilter), QStringLiteral("tsk"));
    if (file.isEmpty())
        return;
    if (m_context.commands.SaveAs(file.toStdString()))
        m_context.messages.information(m_window, texts::tr(texts::kSaveAsDone));
    else
        m_context.messages.error(m_window, texts::tr(texts::kSaveAsFailed));
}

void TaskViewCommands::loadFrom()
{
    const QString file = m_context.fileDialogs.openFile(m_window, texts::tr(texts::kTaskFilesFilter));
    if (file.isEmpty() || !m_context.messages.ask(m_window, texts::tr(texts::kLoadQuestion), Buttons::YesNoCancel))
        return;
    const bool refreshing = m_view.refreshing();
    m_view.stopRefresh();
    const bool loaded = m_context.commands.LoadFrom(file.toStdString()).ok();
    m_view.rebuildRows();
    if (refreshing)
        m_view.startRefresh();
    if (loaded) {
        m_context.messages.information(m_window, texts::tr(texts::kLoadDone));
        for (const std::string& notice : m_context.app.TakeLoadNotices())
            m_context.messages.warning(m_window, QString::fromStdString(notice));
    } else
        m_context.messages.error(m_window, texts::tr(texts::kLoadFailed));
}

void TaskViewCommands::start()
{
    m_context.commands.StartTasks(m_view.selectedRows());
    m_view.refreshRows();
}

void TaskViewCommands::stop()
{
    m_context.commands.StopTasks(m_view.selectedRows(),
        [this](const Task& task) { return m_context.messages.ask(m_window, texts::stopRunningQuestion(task.name)); });
    m_view.refreshRows();
}

void TaskViewCommands::runImmediately()
{
    m_context.commands.RunImmediately(m_view.selectedRows(),
        [this](const Task& task) { return m_context.messages.ask(m_window, texts::runQuestion(task.name)); });
    m_view.refreshRows();
}

void TaskViewCommands::startAll()
{
    if (!m_context.messages.ask(m_window, texts::tr(texts::kStartAllQuestion), Buttons::YesNoCancel))
        return;
    m_context.commands.StartAll();
    m_view.refreshRows();
}

void TaskViewCommands::stopAll()
{
    if (!m_context.messages.ask(m_window, texts::tr(texts::kStopAllQuestion), Buttons::YesNoCancel))
        return;
    m_context.commands.StopAll();
    m_view.refreshRows();
}

void TaskViewCommands::selectAll()
{
    m_view.selectAll();
}

} // namespace kelvanto
