#include "app/TaskListStatus.h"

#include "app/Application.h"
#include "app/TaskNotices.h"
#include "model/TaskTexts.h"
#include "schedule/DateFormat.h"

namespace kelvanto
{

namespace
{

std::string RunTimeText(const TimeStamp& stamp, const Options& options)
{
    if (stamp.year <= 0)
        return {};
    return FormatDateTime(stamp, options.dateFormat, options.timeFormat, false);
}

} // namespace

Json ProgressJson(const RunProgress& progress)
{
    return Json {{"object", TextToJson(progress.object)}, {"rowsDone", progress.rowsDone},
        {"rowsEstimate", progress.rowsEstimate}, {"percent", progress.Percent()}};
}

Json TaskRowJson(const Task& task, const Options& options, const std::optional<RunProgress>& progress)
{
    Json row {{"name", TextToJson(task.name)}, {"type", TaskTypeText(task.type)},
        {"schedule", ScheduleKindText(task.schedule.kind)}, {"status", TaskStatusText(task.status)},
        {"lastRun", RunTimeText(task.lastRunTime, options)}, {"nextRun", RunTimeText(task.nextRunTime, options)}};
    if (progress && task.status == TaskStatus::Running)
        row["progress"] = ProgressJson(*progress);
    return row;
}

Json TaskListJson(const Application& app, const TaskNotices* notices)
{
    Json rows = Json::array();
    for (const Task& task : app.TaskCopies()) {
        const auto progress = notices ? notices->ProgressOf(task.taskId) : std::nullopt;
        rows.push_back(TaskRowJson(task, app.GetOptions(), progress));
    }
    return rows;
}

std::string ProgressText(const RunProgress& progress)
{
    std::string text = progress.object + ": " + std::to_string(progress.rowsDone);
    const int percent = progress.Percent();
    if (percent < 0)
        return text + (progress.rowsDone == 1 ? " row" : " rows");
    return text + " of about " + std::to_string(progress.rowsEstimate) + " rows (" + std::to_string(percent) + "%)";
}

} // namespace kelvanto
