#include "cli/ServeCommand.h"

#include "app/Application.h"
#include "app/ControlCommands.h"
#include "app/ControlServer.h"
#include "app/DataFolderLock.h"
#include "app/TaskCommands.h"
#include "app/TaskFolderChecks.h"
#include "app/TaskNotices.h"
#include "cli/ChangeTarget.h"
#include "cli/ExitCode.h"
#include "cli/ServiceJournal.h"
#include "cli/TaskNameIndex.h"

#include <csignal>
#include <cstdlib>
#include <ctime>
#include <pthread.h>

namespace kelvanto
{

namespace
{

constexpr const char* kDescription = "kelvanto-cli serve";
// How often the main thread looks for a run that ended while no signal came.
constexpr long kTickNanoseconds = 250'000'000;

// Blocks the signals that the service waits for, in this thread and in every thread it
// starts afterwards, so that only sigtimedwait() takes them; restores the old mask at the end.
class BlockedSignals
{
public:
    BlockedSignals()
    {
        sigemptyset(&m_set);
        for (int signal : {SIGTERM, SIGINT, SIGHUP})
            sigaddset(&m_set, signal);
        pthread_sigmask(SIG_BLOCK, &m_set, &m_old);
    }
    ~BlockedSignals() { pthread_sigmask(SIG_SETMASK, &m_old, nullptr); }
    BlockedSignals(const BlockedSignals&) = delete;
    BlockedSignals& operator=(const BlockedSignals&) = delete;

    // The next signal, or 0 after `nanoseconds` without one.
    int Wait(long nanoseconds) const
    {
        const timespec timeout {0, nanoseconds};
        const int signal = sigtimedwait(&m_set, nullptr, &timeout);
        return signal > 0 ? signal : 0;
    }

private:
    sigset_t m_set;
    sigset_t m_old;
};

// "field: message" on one line, as a log record shows it.
std::string LogText(const TaskFault& fault)
{
    std::string text = fault.Text();
    for (char& c : text) {
        if (c == '\n')
            c = ' ';
    }
    return text;
}

// Tells in each task's log (and so in the journal) whether the service can write to the
// task's folder, before its first run; a task of the system service that writes where the
// service's private /tmp would lose its files is stopped. Called once the tasks are started.
void CheckTaskFolders(Application& app)
{
    const bool systemService = RunsAsSystemService();
    for (std::size_t index = 0; index < app.TaskCount(); ++index) {
        const auto task = app.CopyOfTask(index);
        if (!task)
            continue;
        if (auto refused = CheckTaskFolderPlace(*task, systemService)) {
            app.Server().StopTask(static_cast<int>(index));
            app.Log().WriteLog(task->logFileName, LogLevel::Error, "Task stopped: " + LogText(*refused));
        } else if (auto fault = CheckTaskFolderAccess(*task, systemService)) {
            app.Log().WriteLog(task->logFileName, LogLevel::Error, LogText(*fault));
        }
    }
}

} // namespace

int ServeCommand::Run(const std::vector<std::string>& args)
{
    std::chrono::milliseconds lockWait = m_context.settleWait;
    if (args.size() == 2 && args[0] == "--lock-wait") {
        char* end = nullptr;
        const double seconds = std::strtod(args[1].c_str(), &end);
        if (args[1].empty() || *end != '\0' || !(seconds >= 0 && seconds <= 86400)) {
            m_context.Fail("--lock-wait needs a number of seconds from 0 to 86400");
            return ExitCode::Usage;
        }
        lockWait = std::chrono::milliseconds(static_cast<long long>(seconds * 1000));
    } else if (!args.empty()) {
        m_context.Fail("usage: serve [--lock-wait SECONDS]");
        return ExitCode::Usage;
    }
    // Before any thread starts, so that all of them leave these signals to the main thread.
    BlockedSignals signals;
    ServiceJournal journal(m_context.err);

    const auto folder = m_context.LocateFolder();
    if (!folder)
        return ExitCode::Failure;
    // Another scheduler is refused at once; a command line that works on the folder is
    // waited for a little (it ends within moments), never overwritten.
    if (const auto holder = DataFolderLock::Holder(folder->Root()); holder && IsSchedulerHolder(holder->description)) {
        m_context.Fail(DataFolderLock::BusyMessage(folder->Root(), holder));
        return ExitCode::Failure;
    }
    auto lock = DataFolderLock::Acquire(folder->Root(), kDescription, lockWait);
    if (!lock) {
        m_context.Fail(lock.error());
        return ExitCode::Failure;
    }
    m_context.folderLock = std::move(*lock);

    // Declared before the application: the runner calls it until it is gone.
    TaskNotices notices;
    auto opened = Application::Open(*folder, m_context.clock, m_context.engines ? m_context.engines() : EngineTable {});
    if (!opened) {
        m_context.Fail(opened.error());
        return ExitCode::Failure;
    }
    Application& app = **opened;
    const auto writeLoadNotices = [&] {
        for (const std::string& notice : app.TakeLoadNotices())
            journal.Write(ServiceJournal::Priority::Warning, notice);
    };
    writeLoadNotices();
    TaskNameIndex names(app);
    app.Log().SetListener([&](std::string_view logFileName, LogLevel level, std::string_view message) {
        journal.TaskLine(names.NameOf(logFileName), level, message);
    });
    TaskCommands commands(app, &notices);
    ControlCommands handler(app, commands, notices, kDescription);
    handler.SetListChangedHook([&] { names.Invalidate(); });

    int exitCode = ExitCode::Ok;
    auto control = ControlServer::Start(folder->Root() / control::kSocketFileName, handler);
    if (!control) {
        m_context.Fail(control.error());
        exitCode = ExitCode::Failure;
    } else if (app.Server().StartAll(&notices) != 0) {
        journal.Write(ServiceJournal::Priority::Error, "Failed to initialize Task Server!");
        exitCode = ExitCode::Failure;
    } else {
        CheckTaskFolders(app);
        journal.Write(ServiceJournal::Priority::Notice,
            "Scheduler started for " + folder->Root().string() + " with " + std::to_string(app.TaskCount())
                + " task(s)");
        journal.Notify("READY=1");
        for (;;) {
            const int signal = signals.Wait(kTickNanoseconds);
            // Every save's failure (the runner's after each run, or of a command on the
            // socket), once.
            if (auto failure = app.TakeSaveFailure())
                journal.Write(ServiceJournal::Priority::Error, "Failed to save the task list: " + *failure);
            if (signal == SIGHUP) {
                journal.Notify("RELOADING=1");
                handler.RunExclusive([&] {
                    auto loaded = commands.LoadFrom(app.Folder().TaskListFile());
                    names.Invalidate();
                    CheckTaskFolders(app);
                    writeLoadNotices();
                    if (loaded)
                        journal.Write(ServiceJournal::Priority::Notice,
                            "Successfully loaded the task list from the file! (" + std::to_string(app.TaskCount())
                                + " task(s))");
                    else
                        journal.Write(ServiceJournal::Priority::Error,
                            "Failed to load the task list from the file! " + loaded.error());
                });
                journal.Notify("READY=1");
            } else if (signal == SIGTERM || signal == SIGINT) {
                break;
            }
        }
        journal.Notify("STOPPING=1");
        journal.Write(
            ServiceJournal::Priority::Notice, "Scheduler stopping: saving the task list and stopping every task");
    }
    // Quit: no request comes in any more, then the options and the task list are saved and
    // every task is stopped.
    if (control)
        (*control)->Stop();
    handler.RunExclusive([&] {
        if (exitCode == ExitCode::Ok)
            commands.Shutdown();
        else
            app.Server().StopAll();
    });
    app.Log().SetListener({});
    return exitCode;
}

} // namespace kelvanto
