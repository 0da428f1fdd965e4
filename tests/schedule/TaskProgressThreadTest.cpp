// Progress notices from a worker: a new object reaches the owner at once, the rows of the
// same object a few times a second at most, whatever the engine's reporting rate.
#include "schedule/TaskLog.h"
#include "schedule/TaskRunContext.h"
#include "schedule/TaskServer.h"
#include "schedule/TaskServerOwner.h"
#include "tests/support/FakeClock.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

namespace kelvanto::test
{
namespace
{

class ProgressOwner : public TaskServerOwner
{
public:
    void TaskStatusChanged(const std::string&, TaskStatus status) override
    {
        std::lock_guard lock(m_mutex);
        if (status == TaskStatus::Stopped)
            stopped = true;
    }
    void TaskProgress(const std::string& taskId, const RunProgress& progress) override
    {
        std::lock_guard lock(m_mutex);
        ids.push_back(taskId);
        reports.push_back(progress);
    }

    std::mutex m_mutex;
    std::vector<std::string> ids;
    std::vector<RunProgress> reports;
    bool stopped = false;
};

TEST(TaskProgressThreadTest, ANewObjectPassesAtOnceAndRowsArePaced)
{
    TempDir dir;
    auto clock = std::make_shared<FakeClock>(TimeStamp {2026, 12, 7, 9, 30, 0, 2});
    auto log = std::make_shared<TaskLog>(dir.path() / "Logs", clock);
    std::atomic<std::int64_t> busyNanoseconds {0};
    EngineTable engines;
    engines[TaskType::ExecuteScript] = Engine {[&](RunContext& context) {
                                                   const auto start = std::chrono::steady_clock::now();
                                                   RunProgress progress {"db.big", 0, 100000};
                                                   for (std::uint64_t row = 1; row <= 100000; ++row) {
                                                       progress.rowsDone = row;
                                                       context.ReportProgress(progress);
                                                   }
                                                   busyNanoseconds = (std::chrono::steady_clock::now() - start).count();
                                                   context.ReportProgress(RunProgress {"db.small", 0, 0});
                                                   return RunOutcome::Finished;
                                               },
        {}};
    ProgressOwner owner;
    TaskServer server(
        engines, clock, log, dir.path(), [] {}, [] {});
    server.StartAll(&owner);
    Task task;
    task.name = "t";
    task.type = TaskType::ExecuteScript;
    task.logFileName = "t.log";
    const int index = server.AddTask(task);
    const std::string taskId = server.CopyOfTask(index)->taskId;
    server.TaskAt(index).SetRunNow(1);
    server.StartTask(index);
    for (int i = 0; i < 6000 && server.HasWorker(index); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_FALSE(server.HasWorker(index));
    server.StopAll();

    std::lock_guard lock(owner.m_mutex);
    ASSERT_GE(owner.reports.size(), 2u);
    EXPECT_EQ(owner.reports.front(), (RunProgress {"db.big", 1, 100000})) << "the first report of an object passes";
    EXPECT_EQ(owner.reports.back(), (RunProgress {"db.small", 0, 0})) << "a new object passes at once";
    const auto intervals
        = std::chrono::steady_clock::duration(busyNanoseconds.load()) / TaskRunContext::kProgressInterval;
    EXPECT_LE(owner.reports.size(), static_cast<std::size_t>(intervals) + 3) << "rows are paced";
    for (std::size_t i = 1; i + 1 < owner.reports.size(); ++i)
        EXPECT_GT(owner.reports[i].rowsDone, owner.reports[i - 1].rowsDone);
    for (const std::string& id : owner.ids)
        EXPECT_EQ(id, taskId);
}

} // namespace
} // namespace kelvanto::test
