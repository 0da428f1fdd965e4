#include "cli/ListCommand.h"

#include "app/ControlClient.h"
#include "app/DataFolderLock.h"
#include "app/TaskListStatus.h"
#include "cli/ChangeTarget.h"
#include "cli/ExitCode.h"

#include <ostream>

namespace kelvanto
{

namespace
{

// The live rows of the scheduler that holds the folder; nullopt when none answers.
std::optional<Json> SchedulerRows(const DataFolder& folder)
{
    const auto holder = DataFolderLock::Holder(folder.Root());
    if (!holder || !IsSchedulerHolder(holder->description))
        return std::nullopt;
    auto client = ControlClient::Connect(folder.Root() / control::kSocketFileName);
    if (!client)
        return std::nullopt;
    auto reply = client->Request(ControlRequestLine("list"));
    if (!reply || (*reply)["ok"] != true || !(*reply)["tasks"].is_array())
        return std::nullopt;
    return (*reply)["tasks"];
}

} // namespace

int ListCommand::Run(const std::vector<std::string>& args)
{
    if (!args.empty()) {
        m_context.Fail("list takes no arguments");
        return ExitCode::Usage;
    }
    const auto folder = m_context.LocateFolder();
    if (!folder)
        return ExitCode::Failure;
    auto rows = SchedulerRows(*folder);
    if (!rows) {
        // No scheduler: the task list file as it was last saved.
        auto app = m_context.OpenApplication();
        if (!app)
            return ExitCode::Failure;
        rows = TaskListJson(*app, nullptr);
    }
    for (const Json& row : *rows) {
        m_context.out << TextOf(row["name"]) << '\t' << row.value("type", "") << '\t' << row.value("schedule", "")
                      << '\t' << row.value("status", "") << '\t' << row.value("lastRun", "") << '\t'
                      << row.value("nextRun", "") << '\t' << row.value("lastResult", "");
        if (row.contains("progress")) {
            m_context.out << '\t' << ProgressText(ProgressFromJson(row["progress"]));
        }
        if (row.contains("extrasProblem"))
            m_context.out << "\tdoes not run: its extra settings cannot be read (" << TextOf(row["extrasProblem"])
                          << ')';
        m_context.out << '\n';
    }
    return ExitCode::Ok;
}

} // namespace kelvanto
