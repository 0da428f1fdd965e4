// A waiting worker sleeps until its next due minute: jumps of the clock and changes of the
// time zone move its due times as the polling loop did, and a run request, an edit and a
// stop reach it at once. The virtual clock is frozen here, so that its sleeps never end by
// themselves: whatever the worker does after lying down, a ring made it happen.
#include "schedule/Clock.h"
#include "schedule/DateTime.h"
#include "schedule/ScheduleMath.h"
#include "schedule/TaskLog.h"
#include "schedule/TaskServer.h"
#include "tests/support/FakeClock.h"
#include "tests/support/TempDir.h"
#include "tests/support/WaitUntil.h"
#include "tests/support/ZoneVariable.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>

namespace kelvanto::test
{
namespace
{

using namespace std::chrono_literals;

Task Daily(int hour, int minute)
{
    Task task;
    task.name = "daily";
    task.type = TaskType::ExecuteScript;
    task.logFileName = "daily.log";
    task.schedule.kind = ScheduleKind::EveryDay;
    task.schedule.hour = hour;
    task.schedule.minute = minute;
    return task;
}

class SleepingWorkerTest : public ::testing::Test
{
protected:
    void Start(std::shared_ptr<Clock> clock, const Task& task, std::function<void(RunContext&)> whileWaiting = {})
    {
        EngineTable engines;
        engines[TaskType::ExecuteScript] = Engine {[this](RunContext&) {
                                                       runs.fetch_add(1);
                                                       return RunOutcome::Finished;
                                                   },
            std::move(whileWaiting)};
        auto log = std::make_shared<TaskLog>(dir.path() / "Logs", clock);
        server = std::make_unique<TaskServer>(
            engines, clock, log, dir.path(), [] {}, [] {});
        server->AddTask(task);
        server->StartTask(0);
        ASSERT_TRUE(WaitUntil([&] { return Copy().status == TaskStatus::Waiting; }));
    }
    Task Copy() { return *server->CopyOfTask(0); }
    bool NextRunIs(const TimeStamp& next)
    {
        return WaitUntil([&] { return Copy().nextRunTime == next; }, 20s);
    }

    TempDir dir;
    std::atomic<int> runs {0};
    std::unique_ptr<TaskServer> server;
};

TEST_F(SleepingWorkerTest, JumpsOfTheClockMoveTheDueTimes)
{
    auto clock = std::make_shared<FakeClock>(TimeStamp {2005, 3, 1, 9, 0, 0, 3});
    clock->Freeze(true);
    Start(clock, Daily(10, 30));
    EXPECT_TRUE(NextRunIs({2005, 3, 1, 10, 30, 0, 3}));
    // Forward past the due minute: that run is missed, as by the polling loop.
    clock->Set({2005, 3, 1, 12, 0, 0, 3});
    EXPECT_TRUE(NextRunIs({2005, 3, 2, 10, 30, 0, 4}));
    // Back before it: today's run is due again.
    clock->Set({2005, 3, 1, 8, 0, 0, 3});
    EXPECT_TRUE(NextRunIs({2005, 3, 1, 10, 30, 0, 3}));
    // Into the due minute: the task runs at once, and once.
    clock->Set({2005, 3, 1, 10, 30, 40, 3});
    ASSERT_TRUE(WaitUntil([&] { return runs.load() == 1 && Copy().status == TaskStatus::Waiting; }));
    EXPECT_EQ(Copy().lastRunTime, (TimeStamp {2005, 3, 1, 10, 30, 40, 3}));
    EXPECT_TRUE(NextRunIs({2005, 3, 1, 10, 30, 0, 3})); // the current minute still counts
    clock->Set({2005, 3, 1, 10, 30, 50, 3});
    clock->Set({2005, 3, 1, 10, 31, 0, 3});
    EXPECT_TRUE(NextRunIs({2005, 3, 2, 10, 30, 0, 4}));
    EXPECT_EQ(runs.load(), 1);
}

TEST_F(SleepingWorkerTest, RunNowEditAndStopReachASleepingWorkerAtOnce)
{
    auto clock = std::make_shared<FakeClock>(TimeStamp {2005, 3, 1, 9, 0, 0, 3});
    clock->Freeze(true);
    Task weekly = Daily(10, 30);
    weekly.schedule.kind = ScheduleKind::EveryWeek; // no weekday chosen: never due
    Start(clock, weekly);

    // An edit that makes the task due in the current minute runs it.
    Task edited = Copy();
    edited.schedule = Daily(9, 0).schedule;
    server->ReplaceTask(0, edited);
    ASSERT_TRUE(WaitUntil([&] { return runs.load() == 1 && Copy().status == TaskStatus::Waiting; }));
    EXPECT_TRUE(NextRunIs({2005, 3, 1, 9, 0, 0, 3}));

    // Run Immediately, in the minute of the last run.
    server->TaskAt(0).SetRunNow(1);
    server->StartTask(0);
    ASSERT_TRUE(WaitUntil([&] { return runs.load() == 2 && Copy().status == TaskStatus::Waiting; }));

    // The stop ends the sleeping worker itself: none is left behind, abandoned.
    server->StopTask(0);
    EXPECT_EQ(server->LiveThreadCount(), 0);
    EXPECT_EQ(Copy().status, TaskStatus::Stopped);
}

// On the real clock: a rewritten zone file moves the due times. The zone file watched here
// is a file of the test's own; the zone itself comes from TZ, which the test changes
// before it rewrites the file (the program reads the zone when the file changes).
TEST_F(SleepingWorkerTest, AChangeOfTheTimeZoneMovesTheDueTimes)
{
    ZoneVariable zone("UTC0");
    const std::filesystem::path zoneFile = dir.path() / "localtime";
    std::ofstream(zoneFile) << "UTC0\n";
    auto clock = std::make_shared<SystemClock>(zoneFile);
    // Due in three hours, by UTC; from a zone five hours ahead, that time has passed today.
    TimeStamp now = clock->Now();
    if (now.minute == 59 && now.second > 50) {
        std::this_thread::sleep_for(15s); // the test must not straddle a change of the hour
        now = clock->Now();
    }
    Task task = Daily((now.hour + 3) % 24, 0);
    Start(clock, task);
    ComputeNextRun(task, clock->Now());
    ASSERT_TRUE(NextRunIs(task.nextRunTime));

    zone.Set("<+05>-5");
    std::ofstream(zoneFile) << "<+05>-5\n";
    ComputeNextRun(task, clock->Now());
    EXPECT_TRUE(NextRunIs(task.nextRunTime));
    EXPECT_EQ(runs.load(), 0);
}

// On the real clock: whileWaiting is called again at the time it asked for, while the
// task itself is never due.
TEST_F(SleepingWorkerTest, AWaitingEngineIsWokenAtTheTimeItAskedFor)
{
    auto clock = std::make_shared<SystemClock>();
    Task weekly = Daily(0, 0);
    weekly.schedule.kind = ScheduleKind::EveryWeek;
    std::atomic<int> calls {0};
    Start(clock, weekly, [&](RunContext& context) {
        if (calls.fetch_add(1) == 0) {
            const DateTime soon = DateTime::FromTimeStamp(context.Now()).AddSeconds(2);
            context.WakeWhileWaitingAt(soon.ToTimeStamp());
        }
    });
    EXPECT_TRUE(WaitUntil([&] { return calls.load() == 2; }, 30s));
    EXPECT_EQ(runs.load(), 0);
}

} // namespace
} // namespace kelvanto::test
