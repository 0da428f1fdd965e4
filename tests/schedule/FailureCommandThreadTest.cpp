// The command run after a run that did not succeed: how each way of ending is logged, what it
// finds in its environment and on its descriptors, that it is always reaped, and that the
// runner runs it after a failed run only, telling its owner how every run ended.
#include "schedule/FailureCommand.h"

#include "schedule/TaskLog.h"
#include "schedule/TaskServer.h"
#include "schedule/TaskServerOwner.h"
#include "tests/support/FakeClock.h"
#include "tests/support/FileText.h"
#include "tests/support/TempDir.h"
#include "tests/support/WaitUntil.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <mutex>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace kelvanto::test
{
namespace
{

using namespace std::chrono_literals;

bool NoChildLeft()
{
    int status = 0;
    return waitpid(-1, &status, WNOHANG) < 0 && errno == ECHILD;
}

TEST(FailureCommandTest, EachWayOfEndingIsOneLogLine)
{
    const FailureCommandLimits quick {300ms, 200ms};
    struct Row
    {
        const char* name;
        std::vector<std::string> argv;
        LogLevel level;
        std::string line;
    };
    const std::vector<Row> rows {
        {"success", {"true"}, LogLevel::General, "onFailure command \"true\" ended with exit code 0"},
        {"exit code", {"sh", "-c", "exit 3"}, LogLevel::Warning, "onFailure command \"sh\" ended with exit code 3"},
        {"signal", {"sh", "-c", "kill -KILL $$"}, LogLevel::Warning,
            "onFailure command \"sh\" was ended by signal 9 (SIGKILL)"},
        {"missing program", {"/nonexistent/notify-ops", "x"}, LogLevel::Warning,
            "onFailure command \"/nonexistent/notify-ops\" could not start: No such file or directory"},
        {"not in PATH", {"kelvanto-no-such-program"}, LogLevel::Warning,
            "onFailure command \"kelvanto-no-such-program\" could not start: No such file or directory"},
        {"empty", {}, LogLevel::Warning, "onFailure command could not start: no program is named"},
        {"hangs", {"sleep", "30"}, LogLevel::Warning,
            "onFailure command \"sleep\" did not end within 300 ms and was stopped (it was ended by signal 15 "
            "(SIGTERM))"},
        // SIGTERM ignored by the shell and the whole group killed after the grace time.
        {"ignores SIGTERM", {"sh", "-c", "trap '' TERM; sleep 30; sleep 30"}, LogLevel::Warning,
            "onFailure command \"sh\" did not end within 300 ms and was stopped (it was ended by signal 9 "
            "(SIGKILL))"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const auto began = std::chrono::steady_clock::now();
        const FailureCommandEnd end = RunFailureCommand(row.argv, FailureReport {}, nullptr, quick);
        EXPECT_EQ(end.line, row.line);
        EXPECT_EQ(end.level, row.level);
        EXPECT_LT(std::chrono::steady_clock::now() - began, 20s);
        EXPECT_TRUE(NoChildLeft());
    }
}

TEST(FailureCommandTest, SeesTheReportNoStdinAndNoOtherDescriptor)
{
    TempDir dir;
    // A descriptor that this process leaves open without close-on-exec must not reach it.
    std::filesystem::create_directory(dir.path() / "leaked-dir");
    const int leaked = ::open((dir.path() / "leaked-dir").c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(leaked, 3);
    setenv("KELVANTO_TASK", "inherited value that the report replaces", 1);
    const auto out = dir.path() / "seen.txt";
    const std::string script = "printf '%s|%s|%s|%s|%s\\n' \"$KELVANTO_TASK\" \"$KELVANTO_OUTCOME\" "
                               "\"$KELVANTO_FIRST_ERROR\" \"$KELVANTO_LOG\" \"$HOME\" > \"$1\"; "
                               "cat >> \"$1\"; ls -l /proc/$$/fd > \"$1.fds\"";
    const FailureReport report {"Nightly\r\nBcc: 'sakila' $(reboot)", "failed", "Failed to connect: \"x\"; rm -rf /",
        "[2026-12-07 02:00:00]\tError Info\tFailed\n"};
    const FailureCommandEnd end = RunFailureCommand({"sh", "-c", script, "sh", out.string()}, report, nullptr);
    ::close(leaked);
    unsetenv("KELVANTO_TASK");
    EXPECT_EQ(end.line, "onFailure command \"sh\" ended with exit code 0");
    EXPECT_EQ(ReadText(out),
        "Nightly  Bcc: 'sakila' $(reboot)|failed|Failed to connect: \"x\"; rm -rf /|"
        "[2026-12-07 02:00:00]\tError Info\tFailed\n|"
            + std::string(getenv("HOME") ? getenv("HOME") : "") + "\n");
    const std::string descriptors = ReadText(dir.path() / "seen.txt.fds");
    EXPECT_NE(descriptors.find("0 -> /dev/null"), std::string::npos) << descriptors;
    EXPECT_EQ(descriptors.find("leaked-dir"), std::string::npos) << descriptors;
}

TEST(FailureCommandTest, AStopOfTheTaskEndsIt)
{
    std::atomic<bool> stop {false};
    std::thread stopper([&] {
        std::this_thread::sleep_for(200ms);
        stop.store(true);
    });
    const auto began = std::chrono::steady_clock::now();
    const FailureCommandEnd end = RunFailureCommand({"sleep", "30"}, FailureReport {}, [&] { return stop.load(); });
    stopper.join();
    EXPECT_EQ(end.line, "onFailure command \"sleep\" was stopped with the task (it was ended by signal 15 (SIGTERM))");
    EXPECT_LT(std::chrono::steady_clock::now() - began, 3s);
    EXPECT_TRUE(NoChildLeft());
}

class RunEnds : public TaskServerOwner
{
public:
    void TaskRunEnded(const std::string&, const RunEnd& end, std::string_view firstError) override
    {
        std::lock_guard lock(m_mutex);
        ends.push_back({end, std::string(firstError)});
    }
    std::vector<std::pair<RunEnd, std::string>> Ends()
    {
        std::lock_guard lock(m_mutex);
        return ends;
    }

private:
    std::mutex m_mutex;
    std::vector<std::pair<RunEnd, std::string>> ends;
};

TEST(FailureCommandTest, TheRunnerRunsItAfterARunThatDidNotSucceedOnly)
{
    TempDir dir;
    auto clock = std::make_shared<FakeClock>(TimeStamp {2026, 12, 7, 2, 0, 0, 2});
    auto log = std::make_shared<TaskLog>(dir.path() / "Logs", clock);
    std::atomic<int> threadExits {0};
    EngineTable engines;
    // The task's comment says how its run ends.
    engines[TaskType::ExecuteScript] = Engine {[](RunContext& context) {
                                                   const std::string how = context.TaskCopy().comment;
                                                   if (how == "ok") {
                                                       context.Log(LogLevel::General, "Finished");
                                                       return RunOutcome::Finished;
                                                   }
                                                   context.Log(LogLevel::Error, "Table `t1` cannot be read");
                                                   context.Log(LogLevel::Error, "Table `t2` cannot be read");
                                                   return how == "errors" ? RunOutcome::Finished : RunOutcome::Failed;
                                               },
        {}};
    TaskServer server(
        engines, clock, log, dir.path(), [] {}, [&] { threadExits.fetch_add(1); });
    RunEnds owner;
    ASSERT_EQ(server.StartAll(&owner), 0);
    const std::vector<std::pair<std::string, std::string>> tasks {
        {"ok", "succeeded"}, {"errors", "completed-with-errors"}, {"failed", "failed"}};
    for (std::size_t i = 0; i < tasks.size(); ++i) {
        const auto& [how, outcome] = tasks[i];
        SCOPED_TRACE(how);
        Task task;
        task.name = "task " + how;
        task.comment = how;
        task.type = TaskType::ExecuteScript;
        task.logFileName = how + ".log";
        task.extras.onFailure = {"sh", "-c",
            "printf '%s|%s|%s' \"$KELVANTO_TASK\" \"$KELVANTO_OUTCOME\" "
            "\"$KELVANTO_FIRST_ERROR\" > \"$0\"; printf '%s' \"$KELVANTO_LOG\" > \"$0.log\"",
            (dir.path() / (how + ".seen")).string()};
        const int index = server.AddTask(task);
        server.TaskAt(index).SetRunNow(1);
        server.StartTask(index);
        ASSERT_TRUE(WaitUntil([&] { return threadExits.load() == static_cast<int>(i) + 1; }));
        std::vector<std::string> lines;
        for (const LogRecord& record : log->ReadLog(how + ".log"))
            lines.push_back(record.message);
        if (how == "ok") {
            EXPECT_FALSE(std::filesystem::exists(dir.path() / "ok.seen"));
            EXPECT_EQ(lines.back(), "Run ended: succeeded");
            continue;
        }
        EXPECT_EQ(ReadText(dir.path() / (how + ".seen")), "task " + how + "|" + outcome + "|Table `t1` cannot be read");
        EXPECT_EQ(ReadText(dir.path() / (how + ".seen.log")),
            "[2026-12-07 02:00:00]\tGeneral Info\tRunning...\n"
            "[2026-12-07 02:00:00]\tError Info\tTable `t1` cannot be read\n"
            "[2026-12-07 02:00:00]\tError Info\tTable `t2` cannot be read\n"
            "[2026-12-07 02:00:00]\tError Info\tRun ended: "
                + std::string(how == "errors" ? "completed with errors (2)" : "failed (2)") + "\n");
        ASSERT_GE(lines.size(), 2u);
        EXPECT_EQ(lines.back(), "onFailure command \"sh\" ended with exit code 0");
    }
    const auto ends = owner.Ends();
    ASSERT_EQ(ends.size(), 3u);
    EXPECT_EQ(ends[0], (std::pair<RunEnd, std::string> {{RunResult::Succeeded, 0}, ""}));
    EXPECT_EQ(
        ends[1], (std::pair<RunEnd, std::string> {{RunResult::CompletedWithErrors, 2}, "Table `t1` cannot be read"}));
    EXPECT_EQ(ends[2], (std::pair<RunEnd, std::string> {{RunResult::Failed, 2}, "Table `t1` cannot be read"}));
    EXPECT_EQ(server.StopAll(), 0);
    EXPECT_TRUE(NoChildLeft());
}

} // namespace
} // namespace kelvanto::test
