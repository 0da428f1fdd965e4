// The extras file beside the task list: whatever state it is in, the task list loads; a file
// that cannot be used is kept aside and reported once; saves write it before the task list,
// whose bytes stay those of the stored layout.
#include "app/TaskExtrasFile.h"

#include "app/Application.h"
#include "model/FileBytes.h"
#include "model/TaskExtras.h"
#include "model/TaskListStore.h"
#include "tests/support/FakeClock.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <optional>
#include <sys/stat.h>

namespace kelvanto
{
namespace
{

constexpr TimeStamp kNow {2026, 12, 7, 9, 30, 15, 2};

Task Named(const std::string& name)
{
    Task task;
    task.name = name;
    task.type = TaskType::BackupToFiles;
    task.logFileName = name + "_20261279000.log";
    return task;
}

void Write(const std::filesystem::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string EntryText(const std::string& logFileName, const std::string& extras)
{
    return R"({"logFileName": ")" + logFileName + R"(", "extras": )" + extras + "}";
}

class TaskExtrasFileTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        auto prepared = DataFolder::Prepare(tmp.path() / "data");
        ASSERT_TRUE(prepared.ok());
        folder.emplace(*prepared);
        ASSERT_TRUE(SaveTaskListFile(folder->TaskListFile(), {Named("a"), Named("b")}).ok());
    }

    std::unique_ptr<Application> Open()
    {
        auto opened = Application::Open(*folder, clock, EngineTable {});
        EXPECT_TRUE(opened.ok()) << opened.error();
        return opened.ok() ? std::move(*opened) : nullptr;
    }

    test::TempDir tmp;
    std::optional<DataFolder> folder;
    std::shared_ptr<test::FakeClock> clock = std::make_shared<test::FakeClock>(kNow);
};

TEST_F(TaskExtrasFileTest, EveryStateOfTheFileLetsTheTaskListLoad)
{
    const std::string snapshotOnly = R"({"consistentSnapshot": true})";
    struct Row
    {
        const char* name;
        std::optional<std::string> content; // none: no file
        bool usable;
        bool aExtras; // task a has consistentSnapshot on
    };
    const Row rows[] = {
        {"missing", std::nullopt, true, false},
        {"empty", "", false, false},
        {"not JSON", "{\"version\": 1, \"tasks\": [", false, false},
        {"another version", R"({"version": 2, "tasks": []})", false, false},
        {"unknown key", R"({"version": 1, "tasks": [)" + EntryText("a_20261279000.log", R"({"foo": true})") + "]}",
            false, false},
        {"bad value", R"({"version": 1, "tasks": [)" + EntryText("a_20261279000.log", R"({"routines": "yes"})") + "]}",
            false, false},
        {"entry of no task",
            R"({"version": 1, "tasks": [)" + EntryText("gone_1.log", snapshotOnly) + ", "
                + EntryText("a_20261279000.log", snapshotOnly) + "]}",
            true, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const auto extrasFile = folder->TaskExtrasFile();
        std::filesystem::path aside = extrasFile;
        aside += ".damaged";
        std::filesystem::remove(extrasFile);
        std::filesystem::remove(aside);
        if (row.content)
            Write(extrasFile, *row.content);

        auto app = Open();
        ASSERT_TRUE(app);
        ASSERT_EQ(app->TaskCount(), 2u);
        EXPECT_EQ(app->CopyOfTask(0)->extras.consistentSnapshot, row.aExtras);
        EXPECT_TRUE(app->CopyOfTask(1)->extras == TaskExtras {}) << "no entry: every extra off";
        const auto notices = app->TakeLoadNotices();
        if (row.usable) {
            EXPECT_TRUE(notices.empty());
        } else {
            ASSERT_EQ(notices.size(), 1u);
            EXPECT_NE(notices[0].find("kept as tasks_extras.json.damaged"), std::string::npos) << notices[0];
            auto kept = ReadFileBytes(aside);
            ASSERT_TRUE(kept.ok());
            EXPECT_EQ(*kept, *row.content) << "the damaged file is kept as it was";
            const auto log = app->Log().ReadLog(app->CopyOfTask(1)->logFileName);
            ASSERT_FALSE(log.empty());
            EXPECT_EQ(log.back().level, LogLevel::Warning);
            EXPECT_EQ(log.back().message, notices[0]);
        }
        // The next save writes a file that holds the tasks of the list and nothing else.
        ASSERT_TRUE(app->SaveTaskList().ok());
        auto saved = ReadFileBytes(extrasFile);
        ASSERT_TRUE(saved.ok());
        auto entries = ParseTaskExtras(*saved);
        ASSERT_TRUE(entries.ok()) << entries.error();
        EXPECT_EQ(entries->size(), 2u);
        EXPECT_EQ(entries->count("gone_1.log"), 0u);
        app.reset();
        auto again = Open();
        EXPECT_TRUE(again->TakeLoadNotices().empty()) << "reported once";
    }
}

TEST_F(TaskExtrasFileTest, SavesWriteTheExtrasBesideAByteExactTaskList)
{
    auto app = Open();
    ASSERT_TRUE(app);
    Task task = Named("c");
    task.extras = NewTaskExtras(TaskType::BackupToFiles);
    task.extras.definer = DefinerMode::Strip;
    task.extras.commitEvery = 500;
    task.extras.maxInsertBytes = 65536;
    ASSERT_TRUE(app->CreateTask(task).ok());

    const auto tasks = app->TaskCopies();
    auto listBytes = ReadFileBytes(folder->TaskListFile());
    ASSERT_TRUE(listBytes.ok());
    EXPECT_EQ(*listBytes, SerializeTaskList(tasks)) << "the extras are not in the task list file";
    struct stat info
    { };
    ASSERT_EQ(::stat(folder->TaskExtrasFile().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);

    app.reset();
    auto reopened = Open();
    ASSERT_EQ(reopened->TaskCount(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_TRUE(reopened->CopyOfTask(i)->extras == tasks[i].extras);
    }

    // A save that cannot write the extras leaves the task list file as it was.
    reopened->Server().RemoveTask(0);
    std::filesystem::remove(folder->TaskExtrasFile());
    std::filesystem::create_directory(folder->TaskExtrasFile());
    const auto failed = reopened->SaveTaskList();
    ASSERT_FALSE(failed.ok());
    auto unchanged = ReadFileBytes(folder->TaskListFile());
    ASSERT_TRUE(unchanged.ok());
    EXPECT_EQ(*unchanged, *listBytes);

    // The failure is handed out once to tell the user, not again while saves keep failing;
    // after a save that worked, the next failure is told again.
    EXPECT_EQ(reopened->TakeSaveFailure(), failed.error());
    EXPECT_FALSE(reopened->SaveTaskList().ok());
    EXPECT_EQ(reopened->TakeSaveFailure(), std::nullopt);
    std::filesystem::remove(folder->TaskExtrasFile());
    ASSERT_TRUE(reopened->SaveTaskList().ok());
    EXPECT_EQ(reopened->TakeSaveFailure(), std::nullopt);
    std::filesystem::remove(folder->TaskExtrasFile());
    std::filesystem::create_directory(folder->TaskExtrasFile());
    EXPECT_FALSE(reopened->SaveTaskList().ok());
    EXPECT_NE(reopened->TakeSaveFailure(), std::nullopt);
}

} // namespace
} // namespace kelvanto
