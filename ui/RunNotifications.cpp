#include "ui/RunNotifications.h"

#include "app/Application.h"
#include "ui/Notifier.h"
#include "ui/TrayIcon.h"

#include <algorithm>

namespace kelvanto
{

namespace
{

bool DidNotSucceed(RunResult result)
{
    return result == RunResult::Failed || result == RunResult::CompletedWithErrors;
}

} // namespace

RunNotifications::RunNotifications(
    Application& app, Notifier& notifier, TrayIcon& tray, OpenLog openLog, QObject* parent)
    : QObject(parent)
    , m_app(app)
    , m_notifier(notifier)
    , m_tray(tray)
    , m_openLog(std::move(openLog))
{ }

QString RunNotifications::titleOf(const QString& name, const RunEnd& end)
{
    switch (end.result) {
    case RunResult::Succeeded:
        return tr("%1 succeeded").arg(name);
    case RunResult::CompletedWithErrors:
        return tr("%1 completed with errors (%2)").arg(name, QString::number(end.errors));
    case RunResult::Cancelled:
        return tr("%1 was cancelled").arg(name);
    case RunResult::Failed:
        break;
    }
    return tr("%1 failed").arg(name);
}

void RunNotifications::runEnded(const std::string& taskId, const RunEnd& end, const std::string& firstError)
{
    updateOverlay();
    const RunNotices wanted = m_app.GetOptions().runNotices;
    if (wanted == RunNotices::Never || (wanted == RunNotices::Failures && !DidNotSucceed(end.result)))
        return;
    const auto tasks = m_app.TaskCopies();
    const auto task
        = std::find_if(tasks.begin(), tasks.end(), [&taskId](const Task& each) { return each.taskId == taskId; });
    if (task == tasks.end())
        return; // deleted while it ran: there is no log to open any more
    Notification notification;
    notification.title = titleOf(QString::fromStdString(task->name), end);
    notification.text = QString::fromStdString(firstError.empty() ? RunEndLine(end) : firstError);
    notification.failure = DidNotSucceed(end.result);
    notification.clicked = [open = m_openLog, taskId] { open(taskId); };
    m_notifier.notify(notification);
}

void RunNotifications::updateOverlay()
{
    bool failed = false;
    for (const Task& task : m_app.TaskCopies()) {
        const auto last = m_lastRuns.Of(m_app.Log(), task);
        if (last && last->ended && DidNotSucceed(last->end.result)) {
            failed = true;
            break;
        }
    }
    m_tray.setWarning(failed);
}

} // namespace kelvanto
