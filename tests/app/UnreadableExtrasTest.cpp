// A task whose entry of the extras file could not be read: it does not run without its
// settings (its run fails with a line that says why), the list says so, and the commands
// that copy or edit it keep its entry as it stood.
#include "app/Application.h"
#include "app/TaskCommands.h"
#include "app/TaskExtrasGuard.h"
#include "app/TaskListStatus.h"
#include "model/FileBytes.h"
#include "model/TaskListStore.h"
#include "schedule/TaskServerOwner.h"
#include "tests/support/FakeClock.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <functional>
#include <thread>

namespace kelvanto
{
namespace
{

using namespace std::chrono_literals;

constexpr TimeStamp kNow {2026, 12, 7, 9, 30, 15, 2};
constexpr const char* kBadEntry
    = R"({"logFileName": "a.log", "extras": {"routines": true, "compression": "gzip", "compressionLevel": 99}})";

bool WaitUntil(const std::function<bool()>& pred)
{
    const auto end = std::chrono::steady_clock::now() + 30s;
    while (!pred()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

Task Named(const std::string& name)
{
    Task task;
    task.name = name;
    task.type = TaskType::ExecuteScript;
    task.logFileName = name + ".log";
    return task;
}

class UnreadableExtrasTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        clock->Freeze(true);
        auto prepared = DataFolder::Prepare(tmp.path() / "data");
        ASSERT_TRUE(prepared.ok());
        folder.emplace(*prepared);
        ASSERT_TRUE(SaveTaskListFile(folder->TaskListFile(), {Named("a"), Named("b")}).ok());
        std::ofstream(folder->TaskExtrasFile()) << R"({"version": 1, "tasks": [)" << kBadEntry
                                                << R"(, {"logFileName": "b.log", "extras": {"commitEvery": 5}}]})";
        Open();
    }

    void Open()
    {
        commands.reset();
        app.reset();
        EngineTable engines;
        engines[TaskType::ExecuteScript] = Engine {[this](RunContext& context) {
                                                       ++runs;
                                                       context.Log(LogLevel::General, "Finished");
                                                       return RunOutcome::Finished;
                                                   },
            {}};
        auto opened = Application::Open(*folder, clock, std::move(engines));
        ASSERT_TRUE(opened.ok()) << opened.error();
        app = std::move(*opened);
        ASSERT_EQ(app->Server().StartAll(&owner), 0);
        commands = std::make_unique<TaskCommands>(*app, &owner);
    }

    std::vector<std::string> LogOf(std::size_t index)
    {
        std::vector<std::string> lines;
        for (const LogRecord& record : app->Log().ReadLog(app->CopyOfTask(index)->logFileName))
            lines.push_back(record.message);
        return lines;
    }

    Json SavedEntries() { return Json::parse(*ReadFileBytes(folder->TaskExtrasFile()))["tasks"]; }

    test::TempDir tmp;
    std::optional<DataFolder> folder;
    std::shared_ptr<test::FakeClock> clock = std::make_shared<test::FakeClock>(kNow);
    TaskServerOwner owner;
    std::atomic<int> runs {0};
    std::unique_ptr<Application> app;
    std::unique_ptr<TaskCommands> commands;
};

TEST_F(UnreadableExtrasTest, ItsRunFailsAndSaysWhyWhileTheOtherTasksRun)
{
    const Task a = *app->CopyOfTask(0);
    ASSERT_TRUE(a.extras.unreadable);
    ASSERT_EQ(commands->RunImmediately({0, 1}, nullptr).size(), 2u);
    ASSERT_TRUE(WaitUntil([&] { return LogOf(0).size() >= 3 && LogOf(1).size() >= 4; }));
    EXPECT_EQ(LogOf(0),
        (std::vector<std::string> {"Run task immediately", "Running...", UnreadableExtrasLine(*a.extras.unreadable),
            "Run ended: failed (1)"}));
    EXPECT_NE(LogOf(0)[2].find("tasks[0].extras.compressionLevel"), std::string::npos) << LogOf(0)[2];
    EXPECT_EQ(LogOf(1).back(), "Run ended: succeeded");
    EXPECT_EQ(runs.load(), 1) << "only b reached its engine";

    const Json rows = TaskListJson(*app, nullptr);
    EXPECT_NE(TextOf(rows[0]["extrasProblem"]).find("compressionLevel"), std::string::npos) << rows[0].dump();
    EXPECT_FALSE(rows[1].contains("extrasProblem"));
}

TEST_F(UnreadableExtrasTest, CopiesAndEditsKeepTheEntryAsItStood)
{
    // An edit of its record is kept; an edit of its extras would be lost, and is refused.
    Task edited = *app->CopyOfTask(0);
    edited.comment = "kept";
    ASSERT_TRUE(commands->EditTask(0, edited).ok());
    edited.extras.routines = !edited.extras.routines;
    const auto refused = commands->EditTask(0, edited);
    ASSERT_FALSE(refused.ok());
    EXPECT_NE(refused.error().find("cannot be read"), std::string::npos) << refused.error();

    ASSERT_TRUE(commands->RenameTask(0, "a renamed").ok());
    const auto copies = commands->CopyTasks({0});
    ASSERT_EQ(copies.size(), 1u);
    const Task copy = *app->CopyOfTask(copies[0]);
    ASSERT_TRUE(app->SaveTaskList().ok());

    Json expectedCopy = Json::parse(kBadEntry);
    expectedCopy["logFileName"] = copy.logFileName;
    const Json saved = SavedEntries();
    ASSERT_EQ(saved.size(), 3u);
    EXPECT_EQ(saved[0], Json::parse(kBadEntry));
    EXPECT_EQ(saved[1]["extras"]["commitEvery"], 5);
    EXPECT_EQ(saved[2], expectedCopy);

    Open();
    ASSERT_EQ(app->TaskCount(), 3u);
    EXPECT_EQ(app->CopyOfTask(0)->comment, "kept");
    EXPECT_TRUE(app->CopyOfTask(0)->extras.unreadable);
    EXPECT_TRUE(app->CopyOfTask(2)->extras.unreadable);
    EXPECT_EQ(app->CopyOfTask(1)->extras.commitEvery, 5);
    ASSERT_EQ(app->TakeLoadNotices().size(), 1u);

    // Deleted, its entry goes with it.
    ASSERT_TRUE(commands->DeleteTasks({0, 2}).ok());
    ASSERT_TRUE(app->SaveTaskList().ok());
    ASSERT_EQ(SavedEntries().size(), 1u);
    EXPECT_EQ(SavedEntries()[0]["logFileName"], "b.log");
}

} // namespace
} // namespace kelvanto
