// The runner with fake engines in virtual time: return codes, the worker life cycle,
// run requests, stops while waiting, running and blocked, abandoned workers, and a stress
// run of many tasks started, stopped and deleted while their workers run.
#include "schedule/TaskServer.h"

#include "schedule/ReplaceTaskList.h"
#include "schedule/TaskLog.h"
#include "schedule/TaskServerOwner.h"
#include "tests/support/FakeClock.h"
#include "tests/support/TempDir.h"
#include "tests/support/WaitUntil.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace kelvanto::test
{
namespace
{

using namespace std::chrono_literals;

const TimeStamp kStart {2005, 3, 1, 10, 29, 58, 3};

// The real pause of a waiting worker's sleep in the stress run: under ThreadSanitizer each
// cycle costs far more, and 200 workers would starve the thread that drives them.
#ifdef __SANITIZE_THREAD__
constexpr std::chrono::milliseconds kStressPause {60};
#else
constexpr std::chrono::milliseconds kStressPause {20};
#endif

class RecordingOwner : public TaskServerOwner
{
public:
    void TaskStatusChanged(const std::string&, TaskStatus status) override
    {
        std::lock_guard lock(m_mutex);
        statuses.push_back(status);
    }
    void TaskLogWritten(const std::string&, LogLevel, std::string_view message) override
    {
        std::lock_guard lock(m_mutex);
        lines.emplace_back(message);
    }
    std::vector<TaskStatus> Statuses()
    {
        std::lock_guard lock(m_mutex);
        return statuses;
    }
    std::vector<std::string> Lines()
    {
        std::lock_guard lock(m_mutex);
        return lines;
    }

private:
    std::mutex m_mutex;
    std::vector<TaskStatus> statuses;
    std::vector<std::string> lines;
};

// A gate that engines wait at until the test opens it.
class Gate
{
public:
    void Open()
    {
        {
            std::lock_guard lock(m_mutex);
            m_open = true;
        }
        m_changed.notify_all();
    }
    void Wait()
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return m_open; });
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_open = false;
};

// A "query" that blocks until it is cancelled from another thread.
class BlockingQuery : public Cancellable
{
public:
    void Cancel() noexcept override
    {
        cancelled.store(true);
        gate.Open();
    }
    void Run() { gate.Wait(); }
    std::atomic<bool> cancelled {false};

private:
    Gate gate;
};

Task MakeTask(const std::string& name, ScheduleKind kind)
{
    Task task;
    task.name = name;
    task.type = TaskType::ExecuteScript;
    task.logFileName = name + ".log";
    task.schedule.kind = kind;
    // Every Week with no weekday chosen: started, waiting, never due.
    return task;
}

class TaskServerTest : public ::testing::Test
{
protected:
    void SetEngine(std::function<RunOutcome(RunContext&)> run)
    {
        engines[TaskType::ExecuteScript] = Engine {std::move(run), {}};
    }
    TaskServer& Server()
    {
        if (!server) {
            server = std::make_unique<TaskServer>(
                engines, clock, log, dir.path(), [this] { saves.fetch_add(1); }, [this] { threadExits.fetch_add(1); });
        }
        return *server;
    }
    std::vector<std::string> LogLines(const std::string& name)
    {
        std::vector<std::string> lines;
        for (const LogRecord& record : log->ReadLog(name + ".log"))
            lines.push_back(record.message);
        return lines;
    }
    TaskStatus StatusOf(int index) { return Server().TaskAt(index).Status(); }

    TempDir dir;
    std::shared_ptr<FakeClock> clock = std::make_shared<FakeClock>(kStart);
    std::shared_ptr<TaskLog> log = std::make_shared<TaskLog>(dir.path() / "Logs", clock);
    EngineTable engines;
    std::atomic<int> runs {0};
    std::atomic<int> saves {0};
    std::atomic<int> threadExits {0};
    RecordingOwner owner;
    std::unique_ptr<TaskServer> server;
};

TEST_F(TaskServerTest, StartAllAndStopAllReportMisuse)
{
    SetEngine([](RunContext&) { return RunOutcome::Finished; });
    Server().AddTask(MakeTask("a", ScheduleKind::EveryWeek));
    EXPECT_EQ(Server().StopAll(), TaskServer::kNotStarted);
    EXPECT_EQ(Server().StartAll(nullptr), TaskServer::kNoOwner);
    EXPECT_FALSE(Server().HasWorker(0));
    EXPECT_EQ(Server().StartAll(&owner), 0);
    EXPECT_TRUE(Server().HasWorker(0));
    EXPECT_EQ(Server().StartAll(&owner), TaskServer::kAlreadyStarted);
    EXPECT_EQ(Server().StopAll(), 0);
    EXPECT_EQ(Server().Count(), 0);
    EXPECT_EQ(Server().LiveThreadCount(), 0);
    EXPECT_EQ(threadExits.load(), 1);
    EXPECT_EQ(Server().StopAll(), TaskServer::kNotStarted);
}

TEST_F(TaskServerTest, AddTaskStoresACopyWithAFreshIdAndNoRunRequest)
{
    clock->Set({2005, 1, 1, 20, 20, 20, 7});
    Task task = MakeTask("a", ScheduleKind::Manual);
    task.taskId = "stale";
    task.runNow = 1;
    EXPECT_EQ(Server().AddTask(task), 0);
    EXPECT_EQ(Server().AddTask(task), 1);
    EXPECT_EQ(Server().CopyOfTask(0)->taskId, "2005112020200");
    EXPECT_EQ(Server().CopyOfTask(1)->taskId, "2005112020201");
    EXPECT_EQ(Server().TaskAt(1).RunNow(), 0);
    EXPECT_FALSE(Server().HasWorker(0));

    Task edited = task;
    edited.name = "edited";
    Server().ReplaceTask(1, edited);
    EXPECT_EQ(*Server().CopyOfTask(1), edited);

    // Indexes outside the list change nothing.
    for (const int bad : {-1, 2, 100}) {
        SCOPED_TRACE(bad);
        Server().StartTask(bad);
        Server().StopTask(bad);
        Server().ReplaceTask(bad, edited);
        Server().RemoveTask(bad);
        EXPECT_FALSE(Server().TaskAt(bad));
        EXPECT_FALSE(Server().CopyOfTask(bad).has_value());
    }
    EXPECT_EQ(Server().Count(), 2);
    Server().RemoveTask(0);
    EXPECT_EQ(Server().CopyOfAllTasks(), std::vector<Task> {edited});
}

TEST_F(TaskServerTest, TasksThatMustNotRunGetNoThread)
{
    SetEngine([this](RunContext&) {
        runs.fetch_add(1);
        return RunOutcome::Finished;
    });
    Server().AddTask(MakeTask("manual", ScheduleKind::Manual));
    Task noEngine = MakeTask("export", ScheduleKind::EveryWeek);
    noEngine.type = TaskType::ExportTables;
    Server().AddTask(noEngine);
    Server().TaskAt(0).SetStatus(TaskStatus::Waiting);
    ASSERT_EQ(Server().StartAll(&owner), 0);
    EXPECT_FALSE(Server().HasWorker(0));
    EXPECT_FALSE(Server().HasWorker(1));
    EXPECT_EQ(Server().LiveThreadCount(), 0);
    EXPECT_EQ(StatusOf(0), TaskStatus::Waiting); // left as it was
}

TEST_F(TaskServerTest, StartTwiceMakesOneWorkerAndStopWhileWaitingWritesNothing)
{
    SetEngine([](RunContext&) { return RunOutcome::Finished; });
    Server().AddTask(MakeTask("weekly", ScheduleKind::EveryWeek));
    Server().StartTask(0);
    Server().StartTask(0);
    ASSERT_TRUE(WaitUntil([&] { return StatusOf(0) == TaskStatus::Waiting; }));
    Server().StartTask(0);
    EXPECT_EQ(Server().LiveThreadCount(), 1);
    EXPECT_FALSE(Server().CopyOfTask(0)->startedTime.isNever());

    Server().StopTask(0);
    EXPECT_EQ(StatusOf(0), TaskStatus::Stopped);
    EXPECT_FALSE(Server().HasWorker(0));
    EXPECT_EQ(Server().LiveThreadCount(), 0);
    EXPECT_EQ(threadExits.load(), 1);
    EXPECT_TRUE(LogLines("weekly").empty());
}

TEST_F(TaskServerTest, RunImmediatelyOnAManualTaskRunsOnceAndStops)
{
    SetEngine([this](RunContext& context) {
        runs.fetch_add(1);
        const Task task = context.TaskCopy();
        EXPECT_EQ(task.status, TaskStatus::Running);
        EXPECT_EQ(task.runNow, 0);
        context.Log(LogLevel::General, "Finished");
        return RunOutcome::Finished;
    });
    Server().AddTask(MakeTask("manual", ScheduleKind::Manual));
    ASSERT_EQ(Server().StartAll(&owner), 0);
    Server().TaskAt(0).SetRunNow(1);
    Server().StartTask(0);
    ASSERT_TRUE(WaitUntil([&] { return threadExits.load() == 1; }));
    EXPECT_FALSE(Server().HasWorker(0));
    EXPECT_EQ(runs.load(), 1);
    const Task task = *Server().CopyOfTask(0);
    EXPECT_EQ(task.status, TaskStatus::Stopped);
    EXPECT_EQ(task.runNow, 0);
    EXPECT_EQ(task.lastRunTime.year, 2005);
    EXPECT_EQ(LogLines("manual"), (std::vector<std::string> {"Running...", "Finished", "Run ended: succeeded"}));
    EXPECT_EQ(owner.Statuses(), (std::vector<TaskStatus> {TaskStatus::Running, TaskStatus::Stopped}));
    EXPECT_EQ(owner.Lines(), (std::vector<std::string> {"Running...", "Finished", "Run ended: succeeded"}));

    // The slot is free again for the next request.
    Server().TaskAt(0).SetRunNow(1);
    Server().StartTask(0);
    ASSERT_TRUE(WaitUntil([&] { return threadExits.load() == 2; }));
    EXPECT_EQ(runs.load(), 2);
}

TEST_F(TaskServerTest, RunImmediatelyOnAWaitingTaskRunsItAndKeepsItWaiting)
{
    SetEngine([this](RunContext&) {
        runs.fetch_add(1);
        return RunOutcome::Finished;
    });
    Server().AddTask(MakeTask("weekly", ScheduleKind::EveryWeek));
    Server().StartTask(0);
    ASSERT_TRUE(WaitUntil([&] { return StatusOf(0) == TaskStatus::Waiting; }));
    Server().TaskAt(0).SetRunNow(1);
    Server().StartTask(0);
    ASSERT_TRUE(WaitUntil([&] { return runs.load() == 1 && StatusOf(0) == TaskStatus::Waiting; }));
    EXPECT_TRUE(Server().HasWorker(0));
    EXPECT_EQ(Server().TaskAt(0).RunNow(), 0);
    EXPECT_EQ(Server().LiveThreadCount(), 1);
    Server().StopTask(0);
    EXPECT_EQ(runs.load(), 1);
}

TEST_F(TaskServerTest, AFailedScheduledRunKeepsTheTaskWaitingForTheNextDay)
{
    SetEngine([this](RunContext& context) {
        runs.fetch_add(1);
        context.Log(LogLevel::Error, "Can't connect to MySQL server");
        return RunOutcome::Failed;
    });
    Task daily = MakeTask("daily", ScheduleKind::EveryDay);
    daily.schedule.hour = 10;
    daily.schedule.minute = 30;
    Server().AddTask(daily);
    Server().StartTask(0);
    ASSERT_TRUE(WaitUntil([&] {
        const Task task = *Server().CopyOfTask(0);
        return runs.load() == 1 && task.status == TaskStatus::Waiting && task.nextRunTime.day == 2;
    }));
    const Task task = *Server().CopyOfTask(0);
    EXPECT_EQ(task.lastRunTime.hour, 10);
    EXPECT_EQ(task.lastRunTime.minute, 30);
    EXPECT_EQ(task.nextRunTime, (TimeStamp {2005, 3, 2, 10, 30, 0, 4}));
    EXPECT_TRUE(Server().HasWorker(0));
    EXPECT_EQ(LogLines("daily"),
        (std::vector<std::string> {"Running...", "Can't connect to MySQL server", "Run ended: failed (1)"}));
}

TEST_F(TaskServerTest, StopDuringARunEndsWithUserCanceled)
{
    std::atomic<bool> inside {false};
    SetEngine([&](RunContext& context) {
        inside.store(true);
        while (!context.QuitRequested())
            std::this_thread::sleep_for(1ms);
        return RunOutcome::Cancelled;
    });
    Server().AddTask(MakeTask("weekly", ScheduleKind::EveryWeek));
    Server().TaskAt(0).SetRunNow(1);
    Server().StartTask(0);
    ASSERT_TRUE(WaitUntil([&] { return inside.load(); }));
    EXPECT_EQ(StatusOf(0), TaskStatus::Running);
    Server().StopTask(0);
    EXPECT_EQ(StatusOf(0), TaskStatus::Stopped);
    EXPECT_EQ(threadExits.load(), 1);
    const std::vector<LogRecord> records = log->ReadLog("weekly.log");
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[1].message, "User canceled!");
    EXPECT_EQ(records[1].level, LogLevel::Warning);
    EXPECT_EQ(records[2].message, "Run ended: cancelled");
    EXPECT_EQ(records[2].level, LogLevel::Warning);
}

TEST_F(TaskServerTest, ABlockedQueryIsCancelledByTheStop)
{
    BlockingQuery query;
    std::atomic<bool> inside {false};
    SetEngine([&](RunContext& context) {
        CancellableRegistration registration(context, query);
        inside.store(true);
        query.Run();
        return context.QuitRequested() ? RunOutcome::Cancelled : RunOutcome::Failed;
    });
    Server().AddTask(MakeTask("weekly", ScheduleKind::EveryWeek));
    Server().TaskAt(0).SetRunNow(1);
    Server().StartTask(0);
    ASSERT_TRUE(WaitUntil([&] { return inside.load(); }));
    Server().StopTask(0);
    EXPECT_TRUE(query.cancelled.load());
    EXPECT_EQ(StatusOf(0), TaskStatus::Stopped);
    EXPECT_FALSE(Server().HasWorker(0));
    EXPECT_EQ(Server().LiveThreadCount(), 0);
    EXPECT_EQ(LogLines("weekly"), (std::vector<std::string> {"Running...", "User canceled!", "Run ended: cancelled"}));
}

// A connection attempt: it has nothing to lose, and a stop cancels it as soon as it is asked
// for, also one that begins after the stop was asked for.
class Attempt : public BlockingQuery
{
public:
    bool CancelOnQuit() const noexcept override { return true; }
};

TEST_F(TaskServerTest, AStopCancelsAConnectionAttemptAtOnce)
{
    Attempt attempt;
    Attempt late;
    std::atomic<bool> inside {false};
    SetEngine([&](RunContext& context) {
        {
            CancellableRegistration registration(context, attempt);
            inside.store(true);
            attempt.Run();
        }
        // Registered after the stop: cancelled as it registers, so this does not wait.
        CancellableRegistration registration(context, late);
        late.Run();
        return context.QuitRequested() ? RunOutcome::Cancelled : RunOutcome::Failed;
    });
    Server().AddTask(MakeTask("weekly", ScheduleKind::EveryWeek));
    Server().TaskAt(0).SetRunNow(1);
    Server().StartTask(0);
    ASSERT_TRUE(WaitUntil([&] { return inside.load(); }));
    const auto stopped = std::chrono::steady_clock::now();
    Server().StopTask(0);
    // Well before the 3 s that a run gets to stop by itself.
    EXPECT_LT(std::chrono::steady_clock::now() - stopped, 2500ms);
    EXPECT_TRUE(attempt.cancelled.load());
    EXPECT_TRUE(late.cancelled.load());
    EXPECT_EQ(LogLines("weekly"), (std::vector<std::string> {"Running...", "User canceled!", "Run ended: cancelled"}));
}

// A connection whose cancel takes its time (a kill that waits for a server that does not
// answer).
class SlowCancel : public Cancellable
{
public:
    void Cancel() noexcept override
    {
        std::this_thread::sleep_for(1500ms);
        cancelled.store(true);
        gate.Open();
    }
    void Run() { gate.Wait(); }
    std::atomic<bool> cancelled {false};

private:
    Gate gate;
};

// Eight runs, each blocked on two connections whose cancels take 1.5 s: one after the
// other, the stop of all would take 8 x (3 s + 2 x 1.5 s); together it takes one stop's time.
TEST_F(TaskServerTest, StoppingManyBlockedRunsTakesAboutTheTimeOfOne)
{
    constexpr int kTasks = 8;
    std::atomic<int> blocked {0};
    std::atomic<int> cancelled {0};
    SetEngine([&](RunContext& context) {
        SlowCancel source;
        SlowCancel destination;
        CancellableRegistration first(context, source);
        CancellableRegistration second(context, destination);
        blocked.fetch_add(1);
        source.Run();
        destination.Run();
        cancelled.fetch_add(source.cancelled.load() && destination.cancelled.load() ? 1 : 0);
        return RunOutcome::Cancelled;
    });
    for (int i = 0; i < kTasks; ++i)
        Server().AddTask(MakeTask("task" + std::to_string(i), ScheduleKind::EveryWeek));
    ASSERT_EQ(Server().StartAll(&owner), 0);
    for (int i = 0; i < kTasks; ++i) {
        Server().TaskAt(i).SetRunNow(1);
        Server().StartTask(i);
    }
    ASSERT_TRUE(WaitUntil([&] { return blocked.load() == kTasks; }));
    const auto stopped = std::chrono::steady_clock::now();
    EXPECT_EQ(Server().StopAll(), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - stopped, 15s);
    EXPECT_EQ(cancelled.load(), kTasks);
    EXPECT_EQ(Server().LiveThreadCount(), 0);
}

TEST_F(TaskServerTest, AWorkerThatIgnoresTheStopIsLetGoAndChangesNothingAfterwards)
{
    Gate release;
    std::atomic<int> entered {0};
    SetEngine([&](RunContext& context) {
        if (entered.fetch_add(1) == 0) {
            release.Wait(); // deaf to Cancel()
            context.UpdateTask([](Task& task) { task.comment = "written late"; });
            context.Log(LogLevel::General, "Finished");
        }
        return RunOutcome::Finished;
    });
    Server().AddTask(MakeTask("weekly", ScheduleKind::EveryWeek));
    Server().TaskAt(0).SetRunNow(1);
    Server().StartTask(0);
    ASSERT_TRUE(WaitUntil([&] { return entered.load() == 1; }));
    Server().StopTask(0);
    EXPECT_EQ(StatusOf(0), TaskStatus::Stopped);
    EXPECT_FALSE(Server().HasWorker(0));
    EXPECT_EQ(Server().LiveThreadCount(), 1);

    // A new worker serves the task while the old one still hangs.
    Server().StartTask(0);
    ASSERT_TRUE(WaitUntil([&] { return StatusOf(0) == TaskStatus::Waiting; }));
    release.Open();
    ASSERT_TRUE(WaitUntil([&] { return threadExits.load() == 1; }));
    const Task task = *Server().CopyOfTask(0);
    EXPECT_EQ(task.status, TaskStatus::Waiting);
    EXPECT_EQ(task.comment, "");
    EXPECT_TRUE(Server().HasWorker(0));
    Server().StopTask(0);
    EXPECT_EQ(Server().LiveThreadCount(), 0);
}

TEST_F(TaskServerTest, DestroyingTheServerLeavesAnAbandonedWorkerNothingFreed)
{
    Gate release;
    std::atomic<bool> inside {false};
    SetEngine([&](RunContext& context) {
        inside.store(true);
        release.Wait();
        context.Log(LogLevel::General, "late line");
        context.SaveTaskList();
        context.UpdateTask([](Task& task) { task.comment = "late"; });
        return RunOutcome::Finished;
    });
    Server().AddTask(MakeTask("weekly", ScheduleKind::EveryWeek));
    ASSERT_EQ(Server().StartAll(&owner), 0);
    Server().TaskAt(0).SetRunNow(1);
    Server().StartTask(0);
    ASSERT_TRUE(WaitUntil([&] { return inside.load(); }));
    server.reset();
    EXPECT_EQ(threadExits.load(), 0);
    release.Open();
    ASSERT_TRUE(WaitUntil([&] { return threadExits.load() == 1; }));
    EXPECT_EQ(saves.load(), 0); // the program's save is out of reach once the server is gone
    EXPECT_EQ(LogLines("weekly"), (std::vector<std::string> {"Running...", "late line"}));
    std::this_thread::sleep_for(10ms); // let the thread return past its last statement
}

TEST_F(TaskServerTest, EnginesSeeTheirTaskAndTheRunStartTrimsTheLog)
{
    log->SetSizeLimit(true, 1);
    for (int i = 0; i < 3; ++i)
        log->WriteLog("weekly.log", LogLevel::General, "old line");
    SetEngine([&](RunContext& context) {
        EXPECT_EQ(context.DataFolder(), dir.path());
        EXPECT_EQ(context.Now().year, 2005);
        context.UpdateTask([](Task& task) { task.backupHistory.push_back(BackupRun {"folder", {"a.sql"}}); });
        context.SaveTaskList();
        context.Log(LogLevel::General, "Finished");
        return RunOutcome::Finished;
    });
    Server().AddTask(MakeTask("weekly", ScheduleKind::EveryWeek));
    Server().TaskAt(0).SetRunNow(1);
    Server().StartTask(0);
    // The engine's own save, and the runner's at the end of the run.
    ASSERT_TRUE(WaitUntil([&] { return saves.load() == 2 && StatusOf(0) == TaskStatus::Waiting; }));
    EXPECT_EQ(Server().CopyOfTask(0)->backupHistory.size(), 1u);
    EXPECT_EQ(LogLines("weekly"), (std::vector<std::string> {"Running...", "Finished", "Run ended: succeeded"}));
}

TEST_F(TaskServerTest, ReplacingTheListRestartsAStartedServer)
{
    SetEngine([](RunContext&) { return RunOutcome::Finished; });
    Server().AddTask(MakeTask("old", ScheduleKind::EveryWeek));
    ASSERT_TRUE(ReplaceTaskList(Server(), {}, &owner));
    EXPECT_EQ(Server().Count(), 1);

    ASSERT_TRUE(ReplaceTaskList(Server(), {MakeTask("one", ScheduleKind::Manual)}, &owner));
    EXPECT_FALSE(Server().IsStarted());
    EXPECT_EQ(Server().CopyOfTask(0)->name, "one");

    ASSERT_EQ(Server().StartAll(&owner), 0);
    ASSERT_TRUE(ReplaceTaskList(
        Server(), {MakeTask("two", ScheduleKind::EveryWeek), MakeTask("three", ScheduleKind::Manual)}, &owner));
    EXPECT_TRUE(Server().IsStarted());
    ASSERT_EQ(Server().Count(), 2);
    EXPECT_EQ(Server().CopyOfTask(1)->name, "three");
    EXPECT_TRUE(Server().HasWorker(0));
    EXPECT_FALSE(Server().HasWorker(1));

    EXPECT_FALSE(ReplaceTaskList(Server(), {MakeTask("four", ScheduleKind::Manual)}, nullptr));
    EXPECT_EQ(Server().Count(), 1);
}

// Many tasks started, stopped, run and deleted from one thread while their workers run
// engines of random short lengths, save the list and log.
TEST_F(TaskServerTest, StressStartStopRunDelete)
{
    clock = std::make_shared<FakeClock>(kStart, kStressPause);
    log = std::make_shared<TaskLog>(dir.path() / "Logs", clock);
    std::atomic<int> finished {0};
    SetEngine([&](RunContext& context) {
        thread_local std::minstd_rand random(std::hash<std::thread::id> {}(std::this_thread::get_id()));
        const int steps = static_cast<int>(random() % 5);
        for (int i = 0; i < steps; ++i) {
            if (context.QuitRequested())
                return RunOutcome::Cancelled;
            std::this_thread::sleep_for(1ms);
        }
        if (random() % 20 == 0)
            context.SaveTaskList();
        context.UpdateTask([](Task& task) { task.comment = "ran"; });
        context.Log(LogLevel::General, "Finished");
        finished.fetch_add(1);
        return random() % 3 == 0 ? RunOutcome::Failed : RunOutcome::Finished;
    });
    std::atomic<int> listReads {0};
    // A save reads the whole list from the worker thread.
    server = std::make_unique<TaskServer>(
        engines, clock, log, dir.path(),
        [&] { listReads.fetch_add(static_cast<int>(server->CopyOfAllTasks().size())); },
        [this] { threadExits.fetch_add(1); });

    constexpr int kTasks = 200;
    std::minstd_rand random(20050301);
    auto makeTask = [&](int n) {
        const ScheduleKind kinds[] = {ScheduleKind::Manual, ScheduleKind::EveryWeek, ScheduleKind::TimeInterval};
        Task task = MakeTask("task" + std::to_string(n), kinds[random() % 3]);
        task.schedule.intervalMinutes = 1 + static_cast<int>(random() % 3);
        return task;
    };
    for (int i = 0; i < kTasks; ++i)
        server->AddTask(makeTask(i));
    ASSERT_EQ(server->StartAll(&owner), 0);

    const auto end = std::chrono::steady_clock::now() + 8s;
    int operations = 0;
    for (int n = kTasks; operations < 20000 && std::chrono::steady_clock::now() < end; ++operations, ++n) {
        const int index = static_cast<int>(random() % static_cast<unsigned>(server->Count()));
        switch (random() % 6) {
        case 0:
            server->StartTask(index);
            break;
        case 1:
            server->TaskAt(index).SetRunNow(0);
            server->StopTask(index);
            break;
        case 2:
            server->TaskAt(index).SetRunNow(1);
            server->StartTask(index);
            break;
        case 3:
            server->StopTask(index);
            server->RemoveTask(index);
            server->AddTask(makeTask(n));
            server->StartTask(server->Count() - 1);
            break;
        case 4:
            ASSERT_EQ(server->CopyOfAllTasks().size(), static_cast<std::size_t>(kTasks));
            break;
        default:
            std::this_thread::sleep_for(1ms);
            break;
        }
        ASSERT_EQ(server->Count(), kTasks);
    }
    EXPECT_GT(finished.load(), 0);
    const int started = server->LiveThreadCount();
    EXPECT_GT(started, 0);
    ASSERT_EQ(server->StopAll(), 0);
    EXPECT_EQ(server->LiveThreadCount(), 0);
    EXPECT_EQ(server->Count(), 0);
    RecordProperty("operations", operations);
    RecordProperty("runs", finished.load());
}

} // namespace
} // namespace kelvanto::test
