// The task list's commands on a real data folder with a fake engine: what each one logs,
// saves, starts and stops, as the window and the service both carry them out.
#include "app/TaskCommands.h"

#include "app/Application.h"
#include "model/FileBytes.h"
#include "model/TaskListStore.h"
#include "schedule/TaskServerOwner.h"
#include "tests/support/FakeClock.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <fstream>
#include <functional>
#include <mutex>
#include <thread>

namespace kelvanto
{
namespace
{

using namespace std::chrono_literals;

constexpr TimeStamp kNow {2026, 12, 7, 9, 30, 15, 2};

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

// Every Week with no weekday chosen: started, it waits and is never due by itself.
Task MakeTask(const std::string& name, ScheduleKind kind)
{
    Task task;
    task.name = name;
    task.type = TaskType::ExecuteScript;
    task.schedule.kind = kind;
    return task;
}

class TaskCommandsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        clock->Freeze(true);
        auto folder = DataFolder::Prepare(tmp.path() / "data");
        ASSERT_TRUE(folder.ok());
        EngineTable engines;
        engines[TaskType::ExecuteScript] = Engine {[this](RunContext& context) {
                                                       ++runs;
                                                       while (blockRuns.load() && !context.QuitRequested())
                                                           std::this_thread::sleep_for(1ms);
                                                       if (context.QuitRequested())
                                                           return RunOutcome::Cancelled;
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

    std::size_t Add(const std::string& name, ScheduleKind kind)
    {
        auto index = commands->CreateTask(MakeTask(name, kind), false);
        EXPECT_TRUE(index.ok()) << index.error();
        return index.ok() ? *index : 0;
    }

    TaskStatus StatusOf(std::size_t index) { return app->CopyOfTask(index)->status; }

    std::vector<std::string> LogOf(std::size_t index)
    {
        std::vector<std::string> lines;
        for (const LogRecord& record : app->Log().ReadLog(app->CopyOfTask(index)->logFileName))
            lines.push_back(record.message);
        return lines;
    }

    std::vector<std::string> SavedNames()
    {
        std::vector<std::string> names;
        auto saved = LoadTaskListFile(app->Folder().TaskListFile());
        if (saved) {
            for (const Task& task : *saved)
                names.push_back(task.name);
        }
        return names;
    }

    test::TempDir tmp;
    std::shared_ptr<test::FakeClock> clock = std::make_shared<test::FakeClock>(kNow);
    TaskServerOwner owner;
    std::atomic<int> runs {0};
    std::atomic<bool> blockRuns {false};
    std::unique_ptr<Application> app;
    std::unique_ptr<TaskCommands> commands;
};

using Lines = std::vector<std::string>;

TEST_F(TaskCommandsTest, CreateStartsScheduledTasksAndManualOnesOnlyWhenAsked)
{
    const std::size_t scheduled = Add("scheduled", ScheduleKind::EveryWeek);
    const std::size_t manual = Add("manual", ScheduleKind::Manual);
    auto runNow = commands->CreateTask(MakeTask("run now", ScheduleKind::Manual), true);
    ASSERT_TRUE(runNow.ok());

    EXPECT_TRUE(WaitUntil([&] { return StatusOf(scheduled) == TaskStatus::Waiting; }));
    EXPECT_EQ(StatusOf(manual), TaskStatus::Stopped);
    EXPECT_FALSE(app->Server().HasWorker(static_cast<int>(manual)));
    EXPECT_TRUE(WaitUntil([&] { return runs.load() == 1 && StatusOf(*runNow) == TaskStatus::Stopped; }));
    EXPECT_EQ(LogOf(manual), (Lines {"Create task"}));
    EXPECT_EQ(LogOf(*runNow), (Lines {"Create task", "Running...", "Finished", "Run ended: succeeded"}));
    EXPECT_EQ(SavedNames(), (Lines {"scheduled", "manual", "run now"}));

    auto taken = commands->CreateTask(MakeTask("manual", ScheduleKind::Manual), false);
    ASSERT_FALSE(taken.ok());
    EXPECT_EQ(taken.error(), "The task name already exists!\nPlease choose a different task name.");
}

TEST_F(TaskCommandsTest, StartStopAndRunImmediatelyWriteTheirLinesAndFollowTheStatus)
{
    const std::size_t weekly = Add("weekly", ScheduleKind::EveryWeek);
    const std::size_t manual = Add("manual", ScheduleKind::Manual);
    ASSERT_TRUE(WaitUntil([&] { return StatusOf(weekly) == TaskStatus::Waiting; }));

    // Start skips a Waiting task and a Manual one; Stop needs no question for a Waiting task.
    EXPECT_TRUE(commands->StartTasks({weekly, manual}).empty());
    int asked = 0;
    const auto stopped = commands->StopTasks({weekly, manual}, [&](const Task&) { return ++asked, true; });
    EXPECT_EQ(stopped, (std::vector<std::size_t> {weekly}));
    EXPECT_EQ(asked, 0);
    EXPECT_EQ(StatusOf(weekly), TaskStatus::Stopped);
    EXPECT_EQ(commands->StartTasks({weekly, manual}), (std::vector<std::size_t> {weekly}));
    EXPECT_TRUE(WaitUntil([&] { return StatusOf(weekly) == TaskStatus::Waiting; }));

    // Run Immediately answered No changes nothing; Yes runs the Manual task once.
    EXPECT_TRUE(commands->RunImmediately({manual}, [](const Task&) { return false; }).empty());
    EXPECT_EQ(runs.load(), 0);
    blockRuns = true;
    EXPECT_EQ(commands->RunImmediately({manual}, [](const Task&) { return true; }).size(), 1u);
    ASSERT_TRUE(WaitUntil([&] { return StatusOf(manual) == TaskStatus::Running; }));
    // A Running task is not run again, and Stop asks before stopping it: No leaves it running.
    EXPECT_TRUE(commands->RunImmediately({manual}, [](const Task&) { return true; }).empty());
    EXPECT_TRUE(commands->StopTasks({manual}, [](const Task& task) { return task.name != "manual"; }).empty());
    EXPECT_EQ(StatusOf(manual), TaskStatus::Running);
    EXPECT_TRUE(commands->AnyTaskRunning());
    EXPECT_EQ(commands->StopTasks({manual}, [](const Task&) { return true; }).size(), 1u);
    EXPECT_EQ(StatusOf(manual), TaskStatus::Stopped);
    EXPECT_FALSE(commands->AnyTaskRunning());

    EXPECT_EQ(LogOf(weekly), (Lines {"Create task", "Stop task", "Start task"}));
    EXPECT_EQ(LogOf(manual),
        (Lines {"Create task", "Run task immediately", "Running...", "Stop task", "User canceled!",
            "Run ended: cancelled"}));
}

TEST_F(TaskCommandsTest, StartAllAndStopAllTouchOnlyTheTasksTheyApplyTo)
{
    const std::size_t a = Add("a", ScheduleKind::EveryWeek);
    const std::size_t b = Add("b", ScheduleKind::EveryWeek);
    const std::size_t manual = Add("manual", ScheduleKind::Manual);
    ASSERT_TRUE(WaitUntil([&] { return StatusOf(a) == TaskStatus::Waiting && StatusOf(b) == TaskStatus::Waiting; }));
    EXPECT_EQ(commands->StopAll(), (std::vector<std::size_t> {a, b}));
    EXPECT_EQ(commands->StopAll(), (std::vector<std::size_t> {}));
    EXPECT_EQ(commands->StartAll(), (std::vector<std::size_t> {a, b}));
    EXPECT_EQ(LogOf(a), (Lines {"Create task", "Stop task", "Start task"}));
    EXPECT_EQ(LogOf(manual), (Lines {"Create task"}));
}

TEST_F(TaskCommandsTest, CopiesAreStoppedWithTheirOwnLogAndNoBackupHistory)
{
    Task withHistory = MakeTask("A", ScheduleKind::EveryWeek);
    withHistory.backupHistory.push_back(BackupRun {});
    ASSERT_TRUE(commands->CreateTask(withHistory, false).ok());
    Add("B", ScheduleKind::Manual);
    clock->Set(TimeStamp {2026, 12, 7, 10, 0, 0, 2});

    const auto copies = commands->CopyTasks({0, 1});
    ASSERT_EQ(copies, (std::vector<std::size_t> {2, 3}));
    EXPECT_EQ(SavedNames(), (Lines {"A", "B", "A_Copy", "B_Copy"}));
    for (const std::size_t index : copies) {
        const Task copy = *app->CopyOfTask(index);
        SCOPED_TRACE(copy.name);
        EXPECT_EQ(copy.status, TaskStatus::Stopped);
        EXPECT_FALSE(app->Server().HasWorker(static_cast<int>(index)));
        EXPECT_EQ(copy.createdTime, (TimeStamp {2026, 12, 7, 10, 0, 0, 2}));
        EXPECT_EQ(copy.logFileName, copy.name + "_20261271000.log");
        EXPECT_TRUE(copy.backupHistory.empty());
    }
    EXPECT_EQ(LogOf(2), (Lines {"Create task by Copy task A"}));
    EXPECT_EQ(LogOf(3), (Lines {"Create task by Copy task B"}));
    EXPECT_EQ(commands->CopyTasks({2}).size(), 1u);
    EXPECT_EQ(app->CopyOfTask(4)->name, "A_Copy_Copy");
    // A second copy of A in the same second gets a log (and extras entry) of its own.
    ASSERT_EQ(commands->CopyTasks({0}), (std::vector<std::size_t> {5}));
    EXPECT_EQ(app->CopyOfTask(5)->logFileName, "A_Copy_20261271000_2.log");
    EXPECT_EQ(LogOf(2), (Lines {"Create task by Copy task A"}));
    EXPECT_EQ(LogOf(5), (Lines {"Create task by Copy task A"}));
}

TEST_F(TaskCommandsTest, DeleteStopsTheWorkersRemovesTheLogsAndSaves)
{
    const std::size_t a = Add("a", ScheduleKind::EveryWeek);
    Add("b", ScheduleKind::Manual);
    Add("c", ScheduleKind::EveryWeek);
    ASSERT_TRUE(WaitUntil([&] { return StatusOf(a) == TaskStatus::Waiting; }));
    const auto logA = app->Log().PathOf(app->CopyOfTask(0)->logFileName);
    const auto logC = app->Log().PathOf(app->CopyOfTask(2)->logFileName);
    const auto logB = app->Log().PathOf(app->CopyOfTask(1)->logFileName);

    commands->DeleteTasks({0, 2});
    EXPECT_EQ(SavedNames(), (Lines {"b"}));
    EXPECT_FALSE(std::filesystem::exists(*logA));
    EXPECT_FALSE(std::filesystem::exists(*logC));
    EXPECT_TRUE(std::filesystem::exists(*logB));
    EXPECT_TRUE(WaitUntil([&] { return app->Server().LiveThreadCount() == 0; }));

    commands->DeleteAll();
    EXPECT_EQ(app->TaskCount(), 0u);
    EXPECT_FALSE(std::filesystem::exists(*logB));
    EXPECT_FALSE(std::filesystem::exists(app->Folder().TaskListFile())) << "an empty list is no file";
}

TEST_F(TaskCommandsTest, RenameChecksTheNameAndKeepsTheLogFile)
{
    Add("Daily", ScheduleKind::Manual);
    Add("Weekly", ScheduleKind::Manual);
    const std::string logFile = app->CopyOfTask(0)->logFileName;
    struct Row
    {
        const char* name;
        const char* error;
    };
    for (const Row& row : {Row {"", "Please input the task name."},
             Row {"Weekly", "The task name already exists!\nPlease choose a different task name."}, Row {"Daily", ""},
             Row {"weekly", ""}}) {
        SCOPED_TRACE(row.name);
        const auto renamed = commands->RenameTask(0, row.name);
        EXPECT_EQ(renamed.ok() ? "" : renamed.error(), std::string(row.error));
    }
    EXPECT_EQ(app->CopyOfTask(0)->name, "weekly");
    EXPECT_EQ(app->CopyOfTask(0)->logFileName, logFile);
    EXPECT_EQ(SavedNames(), (Lines {"Daily", "Weekly"})) << "the file gets the name with its next save";
}

TEST_F(TaskCommandsTest, EditNeedsAStoppedTaskAndRestartsAScheduledOne)
{
    const std::size_t index = Add("weekly", ScheduleKind::EveryWeek);
    ASSERT_TRUE(WaitUntil([&] { return StatusOf(index) == TaskStatus::Waiting; }));
    Task edited = *app->CopyOfTask(index);
    edited.name = "weekly, edited";
    const auto refused = commands->EditTask(index, edited);
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.error(), "Please STOP the task first, and then EDIT it.");

    commands->StopTasks({index}, {});
    ASSERT_TRUE(commands->EditTask(index, edited).ok());
    EXPECT_EQ(SavedNames(), (Lines {"weekly, edited"}));
    EXPECT_TRUE(WaitUntil([&] { return StatusOf(index) == TaskStatus::Waiting; }));
    EXPECT_EQ(LogOf(index), (Lines {"Create task", "Stop task", "Edit task"}));
}

TEST_F(TaskCommandsTest, SaveAsAndLoadFromRoundTripAndRestartTheScheduledTasks)
{
    Add("weekly", ScheduleKind::EveryWeek);
    Add("manual", ScheduleKind::Manual);
    const auto saved = tmp.path() / "saved.tsk";
    ASSERT_TRUE(commands->SaveAs(saved).ok());
    commands->DeleteAll();

    ASSERT_TRUE(commands->LoadFrom(saved).ok());
    ASSERT_EQ(app->TaskCount(), 2u);
    EXPECT_EQ(app->CopyOfTask(0)->name, "weekly");
    EXPECT_TRUE(WaitUntil([&] { return StatusOf(0) == TaskStatus::Waiting; }));
    EXPECT_EQ(StatusOf(1), TaskStatus::Stopped);

    EXPECT_FALSE(commands->LoadFrom(tmp.path() / "missing.tsk").ok());
    EXPECT_FALSE(commands->SaveAs(tmp.path() / "no-such-folder" / "x.tsk").ok());
    EXPECT_EQ(app->TaskCount(), 2u);
}

TEST_F(TaskCommandsTest, ExtrasFollowCopyRenameDeleteSaveAsAndLoadFrom)
{
    Task withExtras = MakeTask("A", ScheduleKind::Manual);
    withExtras.extras.routines = true;
    withExtras.extras.definer = DefinerMode::Strip;
    ASSERT_TRUE(commands->CreateTask(withExtras, false).ok());
    Add("B", ScheduleKind::Manual);
    clock->Set(TimeStamp {2026, 12, 7, 10, 0, 0, 2});
    ASSERT_EQ(commands->CopyTasks({0}), (std::vector<std::size_t> {2}));
    ASSERT_TRUE(commands->RenameTask(0, "A renamed").ok());
    commands->DeleteTasks({1});
    const auto saved = tmp.path() / "saved.tsk";
    ASSERT_TRUE(commands->SaveAs(saved).ok());
    EXPECT_TRUE(std::filesystem::exists(tmp.path() / "saved.tsk.extras.json"));

    // The data folder's own file, and the one beside the saved list, read back alike.
    const auto check = [&](const char* where) {
        SCOPED_TRACE(where);
        ASSERT_EQ(app->TaskCount(), 2u);
        const Task renamed = *app->CopyOfTask(0);
        const Task copy = *app->CopyOfTask(1);
        EXPECT_EQ(renamed.name, "A renamed");
        EXPECT_EQ(copy.name, "A_Copy");
        EXPECT_NE(copy.logFileName, renamed.logFileName);
        EXPECT_TRUE(renamed.extras == withExtras.extras);
        EXPECT_TRUE(copy.extras == withExtras.extras);
    };
    ASSERT_TRUE(commands->LoadFrom(app->Folder().TaskListFile()).ok());
    check("data folder");
    commands->DeleteAll();
    EXPECT_FALSE(std::filesystem::exists(app->Folder().TaskExtrasFile())) << "no task, no extras file";
    ASSERT_TRUE(commands->LoadFrom(saved).ok());
    check("saved list");
    EXPECT_TRUE(app->TakeLoadNotices().empty());

    // A list whose extras file is damaged loads with its tasks' extras unknown and says so;
    // the file stays as it is, and no save writes a list that would lose them.
    std::ofstream(tmp.path() / "saved.tsk.extras.json") << "{";
    ASSERT_TRUE(commands->LoadFrom(saved).ok());
    ASSERT_EQ(app->TaskCount(), 2u);
    EXPECT_TRUE(app->CopyOfTask(0)->extras.unreadable);
    EXPECT_EQ(app->TakeLoadNotices().size(), 1u);
    EXPECT_EQ(ReadFileBytes(tmp.path() / "saved.tsk.extras.json").value(), "{");
    EXPECT_FALSE(app->SaveTaskList().ok());
    EXPECT_FALSE(commands->SaveAs(saved).ok());
    EXPECT_EQ(ReadFileBytes(tmp.path() / "saved.tsk.extras.json").value(), "{");
}

// Every run is on disk once it has ended, whether a command or the schedule started it, or
// a stop ended it: the list file holds its run time.
TEST_F(TaskCommandsTest, EveryRunIsSavedWhenItEnds)
{
    Add("manual", ScheduleKind::Manual);
    Task daily = MakeTask("daily", ScheduleKind::EveryDay);
    daily.schedule.hour = 9;
    daily.schedule.minute = 31;
    ASSERT_TRUE(commands->CreateTask(daily, false).ok());
    Add("stopped", ScheduleKind::Manual);
    const auto savedRunTime = [&](std::size_t index) {
        auto saved = LoadTaskListFile(app->Folder().TaskListFile());
        return saved && saved->size() > index ? (*saved)[index].lastRunTime : TimeStamp {};
    };
    const auto ended = [&](std::size_t index) {
        const auto lines = LogOf(index);
        return !lines.empty() && lines.back().starts_with("Run ended: ");
    };

    ASSERT_EQ(commands->RunImmediately({0}, nullptr).size(), 1u);
    ASSERT_TRUE(WaitUntil([&] { return ended(0); }));
    EXPECT_TRUE(WaitUntil([&] { return savedRunTime(0) == kNow; }));

    const TimeStamp due {2026, 12, 7, 9, 31, 0, 2};
    clock->Set(due);
    ASSERT_TRUE(WaitUntil([&] { return ended(1); }));
    EXPECT_TRUE(WaitUntil([&] { return savedRunTime(1) == due; }));

    blockRuns = true;
    ASSERT_EQ(commands->RunImmediately({2}, nullptr).size(), 1u);
    ASSERT_TRUE(WaitUntil([&] { return StatusOf(2) == TaskStatus::Running; }));
    EXPECT_EQ(savedRunTime(2), TimeStamp {});
    ASSERT_EQ(commands->StopTasks({2}, [](const Task&) { return true; }).size(), 1u);
    EXPECT_EQ(savedRunTime(2), due);

    // Runs that end at the same moment share saves, and none of them is left out.
    blockRuns = false;
    std::vector<std::size_t> many;
    for (int i = 0; i < 24; ++i)
        many.push_back(Add("many " + std::to_string(i), ScheduleKind::Manual));
    ASSERT_EQ(commands->RunImmediately(many, nullptr).size(), many.size());
    for (const std::size_t index : many) {
        ASSERT_TRUE(WaitUntil([&] { return ended(index); }));
        EXPECT_TRUE(WaitUntil([&] { return savedRunTime(index) == due; })) << index;
    }
}

// A copy that cannot be kept (its list cannot be saved) is undone without a word in any
// log: the line that tells of it is written only once it is on disk.
TEST_F(TaskCommandsTest, ACopyThatCannotBeSavedLogsNothing)
{
    Add("A", ScheduleKind::Manual);
    std::vector<std::string> lines;
    std::mutex linesMutex;
    app->Log().SetListener([&](std::string_view, LogLevel, std::string_view message) {
        std::lock_guard lock(linesMutex);
        lines.emplace_back(message);
    });
    const auto extras = app->Folder().TaskExtrasFile();
    std::filesystem::remove(extras);
    std::filesystem::create_directory(extras);
    const auto refused = commands->CopyTaskSaved(0);
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.error().rfind("cannot save the task list: ", 0), 0u) << refused.error();
    EXPECT_EQ(app->TaskCount(), 1u);
    EXPECT_EQ(SavedNames(), (Lines {"A"}));
    for (const auto& entry : std::filesystem::directory_iterator(app->Folder().LogsDir()))
        EXPECT_FALSE(entry.path().filename().string().starts_with("A_Copy")) << entry.path();

    std::filesystem::remove(extras);
    const auto copied = commands->CopyTaskSaved(0);
    ASSERT_TRUE(copied.ok()) << copied.error();
    EXPECT_EQ(SavedNames(), (Lines {"A", "A_Copy"}));
    EXPECT_EQ(LogOf(*copied), (Lines {"Create task by Copy task A"}));
    app->Log().SetListener({});
    std::lock_guard lock(linesMutex);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "Create task by Copy task A"), 1);
}

TEST_F(TaskCommandsTest, ShutdownSavesTheOptionsAndTheListAndStopsEveryWorker)
{
    Add("weekly", ScheduleKind::EveryWeek);
    ASSERT_TRUE(WaitUntil([&] { return StatusOf(0) == TaskStatus::Waiting; }));
    Options options = app->GetOptions();
    options.showTips = 0;
    app->SetOptions(options);
    commands->Shutdown();
    EXPECT_EQ(app->TaskCount(), 0u);
    EXPECT_EQ(app->Server().LiveThreadCount(), 0);
    EXPECT_EQ(SavedNames(), (Lines {"weekly"}));
    EXPECT_TRUE(std::filesystem::exists(app->Folder().OptionsFile()));
}

} // namespace
} // namespace kelvanto
