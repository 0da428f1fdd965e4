#include "cli/RunCommand.h"

#include "app/Application.h"
#include "app/TaskListStatus.h"
#include "cli/ChangeTarget.h"
#include "cli/ExitCode.h"
#include "cli/InterruptCatch.h"
#include "cli/ProgressLine.h"
#include "schedule/RunResult.h"

#include <atomic>
#include <ostream>

namespace kelvanto
{

int RunCommand::Run(const std::vector<std::string>& args)
{
    if (args.size() != 1) {
        m_context.Fail("usage: run NAME");
        return ExitCode::Usage;
    }
    const std::string& name = args[0];
    auto target = ChangeTarget::Open(m_context, "run", true);
    if (!target)
        return ExitCode::Failure;

    // From here until the run is over and the list saved, Ctrl-C stops the run in order.
    InterruptCatch catchInterrupt(m_context.catchInterrupt);
    ProgressLine progress(m_context.err, m_context.errIsTerminal);
    bool refused = false;
    std::string outcome;
    const auto exchanged = target->Exchange(
        ControlRequestLine("run", {{"name", TextToJson(name)}}),
        [&](const Json& message) {
            if (message.contains("ok")) {
                if (message["ok"] != true) {
                    refused = true;
                    progress.Clear();
                    m_context.Fail(TextOf(message.value("error", Json())));
                }
                return;
            }
            const std::string event = message.value("event", "");
            if (event == "log") {
                progress.Clear();
                // The same line as the log's TXT export, with a plain line end for a terminal.
                m_context.out << '[' << message.value("time", "") << "]\t" << message.value("levelName", "") << '\t'
                              << TextOf(message.value("text", Json())) << std::endl;
            } else if (event == "progress") {
                progress.Show(ProgressText(ProgressFromJson(message)));
            } else if (event == "end") {
                outcome = message.value("outcome", "");
            }
        },
        ControlRequestLine("stop", {{"name", TextToJson(name)}}));
    progress.Clear();
    if (!exchanged) {
        m_context.Fail(exchanged.error());
        return ExitCode::Failure;
    }
    if (refused)
        return ExitCode::Failure;

    bool saved = true;
    if (Application* app = target->LocalApplication()) {
        // A scheduled task goes back to waiting after its run; a run in this process ends
        // here, and the list keeps its run time and backup history.
        if (const auto index = app->FindTask(name))
            app->Server().StopTask(static_cast<int>(*index));
        if (auto written = app->SaveTaskList(); !written) {
            saved = false;
            m_context.Fail("cannot save the task list: " + written.error());
        }
    }
    const std::optional<RunResult> result = RunResultFromName(outcome);
    if (result == RunResult::Cancelled)
        return ExitCode::Interrupted;
    // A run whose record (run time, backup history) could not be kept is not a success.
    return result == RunResult::Succeeded && saved ? ExitCode::Ok : ExitCode::Failure;
}

} // namespace kelvanto
