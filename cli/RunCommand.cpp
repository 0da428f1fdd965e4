#include "cli/RunCommand.h"

#include "cli/ExitCode.h"
#include "cli/RunObserver.h"

#include <atomic>
#include <chrono>
#include <ostream>

namespace kelvanto
{

namespace
{

// How often the main thread looks at the Ctrl-C flag while it waits for the run.
constexpr std::chrono::milliseconds kPollInterval {100};

// Turns Ctrl-C into a stop request for as long as it lives.
class InterruptCatch
{
public:
    explicit InterruptCatch(std::atomic<bool>* flag)
        : m_flag(flag)
    {
        if (m_flag)
            m_flag->store(true);
    }
    ~InterruptCatch()
    {
        if (m_flag)
            m_flag->store(false);
    }
    InterruptCatch(const InterruptCatch&) = delete;
    InterruptCatch& operator=(const InterruptCatch&) = delete;

private:
    std::atomic<bool>* m_flag;
};

} // namespace

int RunCommand::Run(const std::vector<std::string>& args)
{
    if (args.size() != 1) {
        m_context.Fail("usage: run NAME");
        return ExitCode::Usage;
    }
    // Declared before the application, so that it outlives the runner that calls it.
    RunObserver observer(m_context.out, *m_context.clock);
    auto app = m_context.OpenApplication(&observer, CliContext::Access::Change, "run");
    if (!app)
        return ExitCode::Failure;
    observer.SetDisplayFormats(app->GetOptions().dateFormat, app->GetOptions().timeFormat);

    auto found = app->FindTask(args[0]);
    if (!found) {
        m_context.Fail("no task named \"" + args[0] + "\"");
        return ExitCode::Failure;
    }
    const int index = static_cast<int>(*found);
    TaskServer& server = app->Server();
    const Task task = *server.CopyOfTask(index);
    observer.Follow(task.taskId);
    // From here until the run is over and the list saved, Ctrl-C stops the run in order.
    InterruptCatch catchInterrupt(m_context.catchInterrupt);

    app->Log().WriteLog(task.logFileName, LogLevel::General, "Run task immediately");
    server.TaskAt(index).SetRunNow(1);
    server.StartTask(index);
    if (!server.HasWorker(index) && !observer.RunBegan()) {
        server.TaskAt(index).SetRunNow(0);
        m_context.Fail("tasks of this type cannot be run here (no engine for type "
            + std::to_string(static_cast<int>(task.type)) + ")");
        return ExitCode::Failure;
    }

    bool interrupted = false;
    while (!observer.WaitForRunEnd(kPollInterval)) {
        if (m_context.interrupted && m_context.interrupted->load()) {
            interrupted = true;
            break;
        }
        if (!server.HasWorker(index))
            break; // the worker ended without finishing a run
    }
    // A scheduled task goes back to waiting after its run; a foreground run ends here. A stop
    // during the run makes the runner log "User canceled!".
    server.StopTask(index);

    // A run whose record (run time, backup history) could not be kept is not reported as a success.
    const auto saved = app->SaveTaskList();
    if (!saved)
        m_context.Fail("cannot save the task list: " + saved.error());

    if (interrupted)
        return ExitCode::Interrupted;
    const bool finished
        = observer.RunBegan() && observer.LastLevel() == LogLevel::General && observer.LastMessage() == "Finished";
    return finished && saved ? ExitCode::Ok : ExitCode::Failure;
}

} // namespace kelvanto
