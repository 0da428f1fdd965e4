#include "app/TaskListStatus.h"

#include "app/Application.h"
#include "app/TaskNotices.h"
#include "model/TaskTexts.h"
#include "schedule/DateFormat.h"
#include "schedule/TaskLog.h"

#include <algorithm>

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

std::uint64_t CountOf(const Json& progress, const char* member)
{
    const auto found = progress.find(member);
    if (found == progress.end() || !found->is_number_unsigned())
        return 0;
    return found->get<std::uint64_t>();
}

std::string Counted(std::uint64_t count, const char* one, const char* many)
{
    return std::to_string(count) + (count == 1 ? one : many);
}

} // namespace

Json ProgressJson(const RunProgress& progress)
{
    return Json {{"object", TextToJson(progress.object)}, {"rowsDone", progress.rowsDone},
        {"rowsEstimate", progress.rowsEstimate},
        {"counting", progress.counting == RunProgress::Counting::Statements ? "statements" : "rows"},
        {"statementsDone", progress.statementsDone}, {"statementsTotal", progress.statementsTotal},
        {"bytesDone", progress.bytesDone}, {"bytesTotal", progress.bytesTotal}, {"percent", progress.Percent()}};
}

RunProgress ProgressFromJson(const Json& progress)
{
    RunProgress read;
    if (!progress.is_object())
        return read;
    read.object = TextOf(progress.value("object", Json()));
    read.rowsDone = CountOf(progress, "rowsDone");
    read.rowsEstimate = CountOf(progress, "rowsEstimate");
    if (progress.value("counting", Json()) == "statements")
        read.counting = RunProgress::Counting::Statements;
    read.statementsDone = CountOf(progress, "statementsDone");
    read.statementsTotal = CountOf(progress, "statementsTotal");
    read.bytesDone = CountOf(progress, "bytesDone");
    read.bytesTotal = CountOf(progress, "bytesTotal");
    return read;
}

std::optional<LastRun> ShownLastRun(const TaskLog& log, const Task& task)
{
    return ShownLastRun(LastRunOf(log, task.logFileName), task);
}

std::optional<LastRun> ShownLastRun(std::optional<LastRun> last, const Task& task)
{
    if (last && !last->ended && task.status == TaskStatus::Running) {
        // The run going on now has no result yet.
        return std::nullopt;
    }
    return last;
}

Json TaskRowJson(const Task& task, const Options& options, const std::optional<RunProgress>& progress,
    const std::optional<LastRun>& last)
{
    Json row {{"name", TextToJson(task.name)}, {"type", TaskTypeText(task.type)},
        {"schedule", ScheduleKindText(task.schedule.kind)}, {"status", TaskStatusText(task.status)},
        {"lastRun", RunTimeText(task.lastRunTime, options)}, {"nextRun", RunTimeText(task.nextRunTime, options)},
        {"lastResult", last ? RunEndWord(last->end) : std::string()}};
    if (last) {
        row["outcome"] = RunResultName(last->end.result);
        row["errors"] = last->end.errors;
        row["lastResultTime"] = RunTimeText(last->time, options);
    }
    if (progress && task.status == TaskStatus::Running)
        row["progress"] = ProgressJson(*progress);
    if (task.extras.unreadable)
        row["extrasProblem"] = TextToJson(task.extras.unreadable->problem);
    return row;
}

Json TaskListJson(const Application& app, const TaskNotices* notices)
{
    Json rows = Json::array();
    for (const Task& task : app.TaskCopies()) {
        const auto progress = notices ? notices->ProgressOf(task.taskId) : std::nullopt;
        rows.push_back(TaskRowJson(task, app.GetOptions(), progress, ShownLastRun(app.Log(), task)));
    }
    return rows;
}

std::string ProgressText(const RunProgress& progress)
{
    const std::string prefix = progress.object.empty() ? std::string() : progress.object + ": ";
    const int percent = progress.Percent();
    if (progress.statementsTotal != 0) {
        // The statement being sent now, counted from 1.
        const std::uint64_t current = std::min(progress.statementsDone + 1, progress.statementsTotal);
        return prefix + "statement " + std::to_string(current) + " of " + std::to_string(progress.statementsTotal);
    }
    if (progress.counting == RunProgress::Counting::Statements) {
        const std::string text = prefix + Counted(progress.statementsDone, " statement", " statements");
        return percent < 0 ? text : text + " (" + std::to_string(percent) + "%)";
    }
    if (percent < 0)
        return prefix + Counted(progress.rowsDone, " row", " rows");
    return prefix + std::to_string(progress.rowsDone) + " of about " + std::to_string(progress.rowsEstimate) + " rows ("
        + std::to_string(percent) + "%)";
}

} // namespace kelvanto
