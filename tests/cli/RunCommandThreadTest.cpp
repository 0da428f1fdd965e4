#include "app/DefaultEngines.h"
#include "tests/cli/CliHarness.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace kelvanto
{
namespace
{

using test::CliHarness;

constexpr const char* kPrefix = "[Mon, Dec 07, 2026 09:30:15]\t";

EngineTable OneEngine(std::function<RunOutcome(RunContext&)> run)
{
    EngineTable engines;
    engines[TaskType::BackupToFiles] = Engine {std::move(run), {}};
    return engines;
}

RunOutcome FinishWithHistory(RunContext& context)
{
    context.Log(LogLevel::General, "Step one");
    context.UpdateTask([](Task& task) { task.backupHistory.push_back(BackupRun {"", {"/b/x.sql"}}); });
    context.SaveTaskList(); // as rotation does, on the worker thread
    context.Log(LogLevel::General, "Finished");
    return RunOutcome::Finished;
}

TEST(RunCommandThreadTest, AFinishedRunPrintsItsLinesSavesTheListAndExitsZero)
{
    for (const char* schedule : {R"({"kind": 0})", R"({"kind": 1, "hour": 2})"}) {
        SCOPED_TRACE(schedule);
        CliHarness h;
        h.engines = [] { return OneEngine(FinishWithHistory); };
        ASSERT_EQ(
            h.Run({"task", "import", "-"}, std::string(R"({"name": "T", "schedule": )") + schedule + "}").code, 0);

        auto run = h.Run({"run", "T"});
        EXPECT_EQ(run.code, 0) << run.err;
        EXPECT_EQ(run.out,
            std::string(kPrefix) + "General Info\tRunning...\n" + kPrefix + "General Info\tStep one\n" + kPrefix
                + "General Info\tFinished\n" + kPrefix + "General Info\tRun ended: succeeded\n");

        // The run is over and its traces are in the saved list: stopped, run time, history.
        auto row = h.Run({"list"}).out;
        EXPECT_NE(row.find("\tStop\tMon, Dec 07, 2026 09:30\t"), std::string::npos) << row;
        EXPECT_NE(row.find("\tOK\n"), std::string::npos) << row;
        auto exported = nlohmann::json::parse(h.Run({"task", "export", "T"}).out);
        EXPECT_EQ(exported["backupHistory"].size(), 1u);
        EXPECT_EQ(exported["lastRunTime"]["minute"], 30);

        auto log = h.Run({"log", "T"}).out;
        EXPECT_NE(log.find("\tRun task immediately\n3\t"), std::string::npos) << log;
    }
}

TEST(RunCommandThreadTest, ARunThatEndsWithAnErrorExitsOne)
{
    CliHarness h;
    h.engines = [] {
        return OneEngine([](RunContext& context) {
            context.Log(LogLevel::Error, "Failed to connect to the MySQL server!");
            return RunOutcome::Failed;
        });
    };
    ASSERT_EQ(h.Run({"task", "import", "-"}, R"({"name": "T"})").code, 0);
    auto run = h.Run({"run", "T"});
    EXPECT_EQ(run.code, 1);
    EXPECT_NE(run.out.find("Error Info\tFailed to connect to the MySQL server!\n"), std::string::npos);
}

// The runner decides the result once, from what the engine returned and logged; the exit
// code, the end line and the list's word all follow it.
TEST(RunCommandThreadTest, TheResultOfARunDecidesItsExitCodeEndLineAndListWord)
{
    struct Row
    {
        const char* name;
        std::function<RunOutcome(RunContext&)> run;
        int code;
        std::string endLine;
        std::string word;
    };
    const auto errorsThen = [](std::size_t errors, RunOutcome outcome) {
        return [errors, outcome](RunContext& context) {
            for (std::size_t i = 0; i < errors; ++i)
                context.Log(LogLevel::Error, "Failed to show view v" + std::to_string(i));
            return outcome;
        };
    };
    const Row rows[] = {
        {"clean", errorsThen(0, RunOutcome::Finished), 0, "General Info\tRun ended: succeeded", "OK"},
        {"errors in objects", errorsThen(3, RunOutcome::Finished), 1,
            "Error Info\tRun ended: completed with errors (3)", "Errors (3)"},
        {"engine gave up", errorsThen(1, RunOutcome::Failed), 1, "Error Info\tRun ended: failed (1)", "Failed"},
        {"failed without a line", errorsThen(0, RunOutcome::Failed), 1, "Error Info\tRun ended: failed", "Failed"},
        {"connection lost",
            [](RunContext& context) {
                context.Log(LogLevel::Error, "Lost the connection to the MySQL server!  Error NO. 2013  gone");
                context.MarkConnectionLost();
                // The engine leaves at its next check, as a stop would make it.
                return context.QuitRequested() ? RunOutcome::Cancelled : RunOutcome::Finished;
            },
            1, "Error Info\tRun ended: failed (1)", "Failed"},
        {"engine threw", [](RunContext&) -> RunOutcome { throw std::runtime_error("out of memory"); }, 1,
            "Error Info\tRun ended: failed (1)", "Failed"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        CliHarness h;
        h.engines = [&row] { return OneEngine(row.run); };
        ASSERT_EQ(h.Run({"task", "import", "-"}, R"({"name": "T", "schedule": {"kind": 1, "hour": 2}})").code, 0);
        auto run = h.Run({"run", "T"});
        EXPECT_EQ(run.code, row.code);
        EXPECT_TRUE(run.out.ends_with(kPrefix + row.endLine + "\n")) << run.out;
        auto list = h.Run({"list"}).out;
        EXPECT_TRUE(list.ends_with("\t" + row.word + "\n")) << list;
    }
}

TEST(RunCommandThreadTest, ARunWhoseRecordCannotBeSavedIsNoSuccess)
{
    CliHarness h;
    h.engines = [] {
        return OneEngine([](RunContext& context) {
            // Something takes the task list's place: the save after the run must fail.
            const auto list = context.DataFolder() / "tasks_se.tsk";
            std::filesystem::remove(list);
            std::filesystem::create_directories(list / "blocker");
            context.Log(LogLevel::General, "Finished");
            return RunOutcome::Finished;
        });
    };
    ASSERT_EQ(h.Run({"task", "import", "-"}, R"({"name": "T"})").code, 0);
    auto run = h.Run({"run", "T"});
    EXPECT_EQ(run.code, 1);
    EXPECT_NE(run.err.find("cannot save the task list"), std::string::npos) << run.err;
}

TEST(RunCommandThreadTest, CtrlCStopsTheRunWhichLogsUserCanceled)
{
    CliHarness h;
    std::atomic<bool> interrupted {false};
    h.interrupted = &interrupted;
    h.engines = [&interrupted] {
        return OneEngine([&interrupted](RunContext& context) {
            context.Log(LogLevel::General, "Working...");
            interrupted = true; // as the SIGINT handler would, while the run is under way
            while (!context.QuitRequested())
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            return RunOutcome::Cancelled;
        });
    };
    ASSERT_EQ(h.Run({"task", "import", "-"}, R"({"name": "T"})").code, 0);
    auto run = h.Run({"run", "T"});
    EXPECT_EQ(run.code, 130);
    EXPECT_NE(run.out.find("Warning Info\tUser canceled!\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("Warning Info\tRun ended: cancelled\n"), std::string::npos) << run.out;
    const std::string list = h.Run({"list"}).out;
    EXPECT_NE(list.find("\tStop\t"), std::string::npos);
    EXPECT_TRUE(list.ends_with("\tCancelled\n")) << list;
}

TEST(RunCommandThreadTest, ATaskThatCannotRunHereIsRefused)
{
    CliHarness h;
    h.engines = [] { return OneEngine(FinishWithHistory); };
    ASSERT_EQ(h.Run({"task", "import", "-"}, R"({"name": "Export", "type": 4})").code, 0);
    auto run = h.Run({"run", "Export"});
    EXPECT_EQ(run.code, 1);
    EXPECT_NE(run.err.find("no engine for type 4"), std::string::npos) << run.err;
    EXPECT_EQ(h.Run({"run", "nobody"}).code, 1);
}

// A port on which nothing listens: bound once to learn a free number, then closed.
int RefusedPort()
{
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof(address);
    if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&address), length) != 0
        || getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        if (fd >= 0)
            close(fd);
        return 1;
    }
    close(fd);
    return ntohs(address.sin_port);
}

TEST(RunCommandThreadTest, ARefusedConnectionFailsTheRealBackupRun)
{
    CliHarness h;
    h.engines = MakeDefaultEngines;
    const std::string task = R"({"name": "Backup", "type": 1, "source": {"host": "127.0.0.1", "port": )"
        + std::to_string(RefusedPort()) + R"(}, "databases": [{"checkState": 2, "name": "nothing"}],
            "backupSettings": {"backupFolder": ")"
        + (h.tmp.path() / "backups").string() + R"(/"}})";
    ASSERT_EQ(h.Run({"task", "import", "-"}, task).code, 0);
    auto run = h.Run({"run", "Backup"});
    EXPECT_EQ(run.code, 1) << run.out;
    EXPECT_NE(run.out.find("Error Info\t"), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find("\tFinished\n"), std::string::npos) << run.out;
}

} // namespace
} // namespace kelvanto
