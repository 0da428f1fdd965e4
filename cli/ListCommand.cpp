#include "cli/ListCommand.h"

#include "cli/ExitCode.h"
#include "model/TaskTexts.h"
#include "schedule/DateFormat.h"

#include <ostream>

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

int ListCommand::Run(const std::vector<std::string>& args)
{
    if (!args.empty()) {
        m_context.Fail("list takes no arguments");
        return ExitCode::Usage;
    }
    auto app = m_context.OpenApplication();
    if (!app)
        return ExitCode::Failure;
    const Options& options = app->GetOptions();
    for (const Task& task : app->TaskCopies()) {
        m_context.out << task.name << '\t' << TaskTypeText(task.type) << '\t' << ScheduleKindText(task.schedule.kind)
                      << '\t' << TaskStatusText(task.status) << '\t' << RunTimeText(task.lastRunTime, options) << '\t'
                      << RunTimeText(task.nextRunTime, options) << '\n';
    }
    return ExitCode::Ok;
}

} // namespace kelvanto
