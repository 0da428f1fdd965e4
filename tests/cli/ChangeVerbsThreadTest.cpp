// The verbs that change the task list give the same results, the same messages and the same
// log lines whether a scheduler carries them out (over its control socket) or the command
// line does it itself under the folder's lock.
#include "model/TaskListStore.h"
#include "schedule/LogRecord.h"
#include "tests/cli/CliHarness.h"
#include "tests/cli/InProcessScheduler.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

namespace kelvanto
{
namespace
{

using test::CliHarness;
using test::InProcessScheduler;

std::vector<std::string> LogMessages(const CliHarness& h, const std::string& logFileName)
{
    std::vector<std::string> messages;
    TaskLog log(h.dataDir() / "Logs", h.clock);
    for (const LogRecord& record : log.ReadLog(logFileName))
        messages.push_back(record.message);
    return messages;
}

void Prepare(CliHarness& h)
{
    // Sleeps do not move the clock: no schedule comes due, waiting workers pause for real.
    h.clock = std::make_shared<test::FakeClock>(CliHarness::kNow, std::chrono::milliseconds(20));
    h.clock->Freeze(true);
    h.engines = [] {
        EngineTable engines;
        engines[TaskType::ExecuteScript] = Engine {[](RunContext& context) {
                                                       context.ReportProgress(RunProgress {"db.t", 7, 10});
                                                       context.Log(LogLevel::General, "Finished");
                                                       return RunOutcome::Finished;
                                                   },
            {}};
        return engines;
    };
    // "Weekly" waits for a weekday that it never chose: started, never due.
    for (const char* task : {R"({"name": "Weekly", "type": 5, "schedule": {"kind": 2}})",
             R"({"name": "Once", "type": 5})", R"({"name": "Export", "type": 4})"})
        ASSERT_EQ(h.Run({"task", "import", "-"}, task).code, 0);
}

TEST(ChangeVerbsThreadTest, TheSameVerbsMakeTheSameChangesWithOrWithoutAScheduler)
{
    struct Row
    {
        std::vector<std::string> args;
        int code;
        std::string out; // "*" for either mode: the local text; a '|' separates local|scheduler
        std::string err;
    };
    const std::string manual = "the task \"Once2\" has the schedule Manual: it runs only when asked (kelvanto-cli run)";
    const Row rows[] = {
        {{"task", "rename", "Once", "Once2"}, 0, "Renamed task \"Once\" to \"Once2\"\n", ""},
        {{"task", "rename", "Once2", "Weekly"}, 1, "",
            "The task name already exists!\nPlease choose a different task name.\n"},
        {{"task", "rename", "Once2", ""}, 1, "", "Please input the task name.\n"},
        {{"task", "copy", "Weekly"}, 0, "Created task \"Weekly_Copy\"\n", ""},
        {{"task", "delete", "nobody"}, 1, "", "no task named \"nobody\"\n"},
        {{"start", "Once2"}, 1, "", manual + "\n"},
        {{"stop", "Weekly_Copy"}, 0, "Task \"Weekly_Copy\" was not started\n", ""},
        {{"run", "Export"}, 1, "", "kelvanto-cli: tasks of this type cannot be run here (no engine for type 4)\n"},
        {{"run", "Once2"}, 0,
            "[Mon, Dec 07, 2026 09:30:15]\tGeneral Info\tRunning...\n"
            "[Mon, Dec 07, 2026 09:30:15]\tGeneral Info\tFinished\n"
            "[Mon, Dec 07, 2026 09:30:15]\tGeneral Info\tRun ended: succeeded\n",
            ""},
        {{"task", "delete", "Weekly_Copy"}, 0, "Deleted task \"Weekly_Copy\"\n", ""},
        {{"start", "Weekly"}, 0,
            "Started task \"Weekly\"; no scheduler runs for this data folder, so it waits for the next one to "
            "start\n|Task \"Weekly\" was started already (Waiting...)\n",
            ""},
        {{"stop", "Weekly"}, 0, "Task \"Weekly\" was not started\n|Stopped task \"Weekly\"\n", ""},
    };

    CliHarness local;
    CliHarness remote;
    Prepare(local);
    Prepare(remote);
    {
        InProcessScheduler scheduler(remote);
        for (const Row& row : rows) {
            SCOPED_TRACE(row.args[0] + " " + row.args[1]);
            const auto bar = row.out.find('|');
            const std::string localOut = row.out.substr(0, bar);
            const std::string remoteOut = bar == std::string::npos ? row.out : row.out.substr(bar + 1);
            const auto l = local.Run(row.args);
            EXPECT_EQ(l.code, row.code) << l.err;
            EXPECT_EQ(l.out, localOut);
            EXPECT_EQ(l.err, row.err);
            const auto r = remote.Run(row.args);
            EXPECT_EQ(r.code, row.code) << r.err;
            EXPECT_EQ(r.out, remoteOut);
            EXPECT_EQ(r.err, row.err);
        }
    }
    // The same list, and each task's log with the same lines.
    auto localTasks = LoadTaskListFile(local.taskListFile());
    auto remoteTasks = LoadTaskListFile(remote.taskListFile());
    ASSERT_TRUE(localTasks.ok() && remoteTasks.ok());
    ASSERT_EQ(localTasks->size(), 3u);
    ASSERT_EQ(remoteTasks->size(), 3u);
    for (std::size_t i = 0; i < localTasks->size(); ++i) {
        const Task& l = (*localTasks)[i];
        const Task& r = (*remoteTasks)[i];
        SCOPED_TRACE(l.name);
        EXPECT_EQ(l.name, r.name);
        EXPECT_EQ(l.lastRunTime, r.lastRunTime);
        if (l.name != "Weekly") {
            EXPECT_EQ(LogMessages(local, l.logFileName), LogMessages(remote, r.logFileName));
        }
    }
    EXPECT_EQ(LogMessages(remote, (*remoteTasks)[1].logFileName),
        (std::vector<std::string> {
            "Create task", "Run task immediately", "Running...", "Finished", "Run ended: succeeded"}));
    // Without a scheduler the task was Stopped, so Start started it and Stop found it
    // stopped; the scheduler had started it, so Start left it and Stop stopped it.
    EXPECT_EQ(
        LogMessages(local, (*localTasks)[0].logFileName), (std::vector<std::string> {"Create task", "Start task"}));
    EXPECT_EQ(
        LogMessages(remote, (*remoteTasks)[0].logFileName), (std::vector<std::string> {"Create task", "Stop task"}));
}

// A change that the scheduler cannot save (here something took the task list file's place)
// is answered with the error and undone, so that nothing is lost at the next start: the
// names stay, no copy is left, and the task that was to be deleted keeps its log.
TEST(ChangeVerbsThreadTest, AChangeThatCannotBeSavedIsRefusedAndUndone)
{
    CliHarness h;
    Prepare(h);
    const auto before = LoadTaskListFile(h.taskListFile());
    ASSERT_TRUE(before.ok());
    const std::filesystem::path onceLog = h.dataDir() / "Logs" / (*before)[1].logFileName;
    ASSERT_TRUE(std::filesystem::exists(onceLog));
    InProcessScheduler scheduler(h);
    // The list once the scheduled task waits (again, after a delete that was undone).
    const auto settled = [&h] {
        std::string list;
        for (int i = 0; i < 500 && list.find("Waiting...") == std::string::npos; ++i) {
            list = h.Run({"list"}).out;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return list;
    };
    const std::string listed = settled();
    ASSERT_NE(listed.find("Waiting..."), std::string::npos) << listed;
    std::filesystem::remove(h.taskListFile());
    std::filesystem::create_directories(h.taskListFile() / "blocker");
    for (const std::vector<std::string>& args :
        {std::vector<std::string> {"task", "rename", "Once", "Twice"},
            std::vector<std::string> {"task", "delete", "Once"}, std::vector<std::string> {"task", "copy", "Weekly"}}) {
        SCOPED_TRACE(args[1]);
        const auto refused = h.Run(args);
        EXPECT_EQ(refused.code, 1);
        EXPECT_NE(refused.err.find("cannot save the task list"), std::string::npos) << refused.err;
        EXPECT_EQ(settled(), listed);
    }
    EXPECT_TRUE(std::filesystem::exists(onceLog));
    // Once the file can be written again, the same changes go through.
    std::filesystem::remove_all(h.taskListFile());
    EXPECT_EQ(h.Run({"task", "delete", "Once"}).code, 0);
    EXPECT_FALSE(std::filesystem::exists(onceLog));
}

TEST(ChangeVerbsThreadTest, AFollowedRunShowsItsProgressOnATerminal)
{
    CliHarness h;
    Prepare(h);
    h.errIsTerminal = true;
    const auto run = h.Run({"run", "Once"});
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_NE(run.err.find("\r\033[Kdb.t: 7 of about 10 rows (70%)"), std::string::npos) << run.err;
    EXPECT_TRUE(run.err.ends_with("\r\033[K")) << "the line is cleared at the end";

    h.errIsTerminal = false;
    EXPECT_EQ(h.Run({"run", "Once"}).err, "") << "nothing of it elsewhere";
}

} // namespace
} // namespace kelvanto
