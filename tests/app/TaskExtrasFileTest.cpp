// The extras file beside the task list: whatever state it is in, the task list loads, and
// loading changes no file. Entries are judged one by one: a bad one leaves its own task with
// unreadable extras and is written back as it stood; a file that cannot be read whole is
// never saved over. Saves write it together with the task list, whose bytes stay those of
// the stored layout.
#include "app/TaskExtrasFile.h"

#include "app/Application.h"
#include "app/JsonText.h"
#include "model/FileBytes.h"
#include "model/TaskExtras.h"
#include "model/TaskListStore.h"
#include "tests/support/FakeClock.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <optional>
#include <sys/stat.h>

namespace kelvanto
{
namespace
{

constexpr TimeStamp kNow {2026, 12, 7, 9, 30, 15, 2};
constexpr const char* kLogA = "a_20261279000.log";
constexpr const char* kLogB = "b_20261279000.log";

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

std::string FileText(const std::vector<std::string>& entries)
{
    std::string text = R"({"version": 1, "tasks": [)";
    for (std::size_t i = 0; i < entries.size(); ++i)
        text += (i ? ", " : "") + entries[i];
    return text + "]}";
}

// The entries of an extras file as JSON, in file order.
Json EntriesOf(const std::filesystem::path& path)
{
    auto bytes = ReadFileBytes(path);
    if (!bytes)
        return Json();
    auto parsed = ParseJson(*bytes);
    return parsed && parsed->is_object() ? (*parsed)["tasks"] : Json();
}

std::vector<std::string> FolderEntries(const std::filesystem::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
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

    std::unique_ptr<Application> Open(EngineTable engines = {})
    {
        auto opened = Application::Open(*folder, clock, std::move(engines));
        EXPECT_TRUE(opened.ok()) << opened.error();
        return opened.ok() ? std::move(*opened) : nullptr;
    }

    test::TempDir tmp;
    std::optional<DataFolder> folder;
    std::shared_ptr<test::FakeClock> clock = std::make_shared<test::FakeClock>(kNow);
};

// Every state of the whole file: what each task gets, what a load tells, and what a save
// may write. Loading never changes the file.
TEST_F(TaskExtrasFileTest, EveryStateOfTheFileLoadsTheListAndLosesNothing)
{
    const std::string snapshot = R"({"consistentSnapshot": true})";
    const std::string routines = R"({"routines": true})";
    std::string deep = std::string(64, '[') + std::string(64, ']');
    struct Row
    {
        const char* name;
        std::optional<std::string> content; // none: no file
        const char* a; // "snapshot", "routines", "off" or "unreadable"
        const char* b;
        const char* problem; // in the notice and in each unreadable task's problem
        bool saves;
        std::vector<std::size_t> verbatim = {}; // entries that every save writes back as they stood
    };
    const Row rows[] = {
        {"missing", std::nullopt, "off", "off", "", true},
        {"empty", "", "unreadable", "unreadable", "not valid JSON", false},
        {"not JSON", R"({"version": 1, "tasks": [)", "unreadable", "unreadable", "not valid JSON", false},
        {"another version", R"({"version": 2, "tasks": []})", "unreadable", "unreadable", "version: must be 1", false},
        {"unknown field", R"({"version": 1, "tasks": [], "more": 1})", "unreadable", "unreadable",
            "more: unknown field", false},
        {"tasks not a list", R"({"version": 1, "tasks": {}})", "unreadable", "unreadable", "tasks: must be", false},
        {"nested too deep", R"({"version": 1, "tasks": [)" + deep + "]}", "unreadable", "unreadable",
            "nested deeper than 64 levels", false},
        {"entry of no task", FileText({EntryText("gone_1.log", snapshot), EntryText(kLogA, snapshot)}), "snapshot",
            "off", "", true},
        {"one bad entry", FileText({EntryText(kLogA, R"({"compressionLevel": 99})"), EntryText(kLogB, routines)}),
            "unreadable", "routines", "tasks[0].extras.compressionLevel: must be an integer from -131072 to 22", true,
            {0}},
        {"entry with another member",
            FileText({R"({"logFileName": "a_20261279000.log", "extras": {}, "note": 1})", EntryText(kLogB, routines)}),
            "unreadable", "routines", "tasks[0]: must be an object", true, {0}},
        {"entry without a task's name", FileText({EntryText(kLogA, snapshot), R"({"extras": {}})"}), "snapshot",
            "unreadable", "tasks[1]: must be an object", true, {1}},
        {"not an object", FileText({"5", EntryText(kLogB, routines)}), "unreadable", "routines",
            "tasks[0]: must be an object", true, {0}},
        {"a task named twice", FileText({EntryText(kLogA, snapshot), EntryText(kLogA, routines)}), "unreadable", "off",
            "tasks[0] and tasks[1] both name", true, {0, 1}},
    };
    const auto extrasFile = folder->TaskExtrasFile();
    (void)Open(); // the log folder's marker, made once
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::filesystem::remove(extrasFile);
        if (row.content)
            Write(extrasFile, *row.content);
        const auto before = FolderEntries(folder->Root());
        const auto logsBefore = FolderEntries(folder->LogsDir());

        auto app = Open();
        ASSERT_TRUE(app);
        ASSERT_EQ(app->TaskCount(), 2u);
        // After a save, entries kept as they stood may have moved in the file.
        const auto check = [&](const Application& opened, const std::string& problem) {
            for (const auto& [index, expected] : {std::pair {0, row.a}, std::pair {1, row.b}}) {
                SCOPED_TRACE(index);
                const TaskExtras extras = opened.CopyOfTask(static_cast<std::size_t>(index))->extras;
                const std::string state = extras.unreadable ? "unreadable"
                    : extras.consistentSnapshot             ? "snapshot"
                    : extras.routines                       ? "routines"
                    : extras == TaskExtras {}               ? "off"
                                                            : "other";
                EXPECT_EQ(state, expected);
                if (extras.unreadable) {
                    EXPECT_NE(extras.unreadable->problem.find(extrasFile.string()), std::string::npos);
                    EXPECT_NE(extras.unreadable->problem.find(problem), std::string::npos)
                        << extras.unreadable->problem;
                }
            }
        };
        check(*app, row.problem);
        const auto notices = app->TakeLoadNotices();
        const bool anyUnreadable = std::string(row.a) == "unreadable" || std::string(row.b) == "unreadable";
        ASSERT_EQ(notices.size(), anyUnreadable ? 1u : 0u);
        if (anyUnreadable) {
            EXPECT_NE(notices[0].find(row.problem), std::string::npos) << notices[0];
        }
        EXPECT_EQ(FolderEntries(folder->Root()), before) << "nothing renamed, nothing new";
        EXPECT_EQ(FolderEntries(folder->LogsDir()), logsBefore);
        if (row.content) {
            EXPECT_EQ(*ReadFileBytes(extrasFile), *row.content) << "a load changes no file";
        }

        const auto saved = app->SaveTaskList();
        ASSERT_EQ(saved.ok(), row.saves) << (saved.ok() ? "" : saved.error());
        if (!row.saves) {
            EXPECT_NE(saved.error().find("nothing is saved"), std::string::npos) << saved.error();
            EXPECT_EQ(*ReadFileBytes(extrasFile), *row.content) << "never saved over";
        } else {
            // Whatever could not be read is written back as it stood; an entry of no task goes.
            const Json written = EntriesOf(extrasFile);
            for (const std::size_t index : row.verbatim) {
                const Json entry = ParseJson(*row.content)->at("tasks").at(index);
                EXPECT_NE(std::find(written.begin(), written.end(), entry), written.end()) << entry.dump();
            }
            EXPECT_EQ(written.dump().find("gone_1.log"), std::string::npos);
        }
        app.reset();
        auto again = Open();
        ASSERT_TRUE(again);
        check(*again, "");
    }
}

// One bad value in one entry, for every key: that task alone cannot run, the others keep
// their settings, and the bad entry survives saves unchanged.
TEST_F(TaskExtrasFileTest, EachKeyWithABadValueTurnsOffOnlyItsOwnTask)
{
    const std::pair<const char*, const char*> rows[] = {
        {"consistentSnapshot", R"("yes")"},
        {"routines", "1"},
        {"triggers", "null"},
        {"events", R"("on")"},
        {"definer", R"("drop")"},
        {"compression", R"("lz4")"},
        {"compressionLevel", "99"},
        {"compressionLevel", "1.5"},
        {"verifyRestore", "5"},
        {"verifyRestore", R"({"server": {"port": "x"}})"},
        {"verifyRestore", R"({"server": {"profile": ""}})"},
        {"maxInsertBytes", "-1"},
        {"commitEvery", "2147483648"},
        {"restoreThreads", "0"},
        {"onFailure", R"("mail")"},
        {"onFailure", R"([""])"},
        {"exportUnixLineEnds", R"("no")"},
        {"shutdownAfter", "true"},
    };
    const auto extrasFile = folder->TaskExtrasFile();
    for (const auto& [key, value] : rows) {
        SCOPED_TRACE(std::string(key) + " " + value);
        const std::string bad = EntryText(kLogA, R"({"triggers": true, ")" + std::string(key) + R"(": )" + value + "}");
        Write(extrasFile, FileText({bad, EntryText(kLogB, R"({"routines": true, "commitEvery": 7})")}));

        auto app = Open();
        ASSERT_TRUE(app);
        const Task a = *app->CopyOfTask(0);
        ASSERT_TRUE(a.extras.unreadable);
        EXPECT_NE(a.extras.unreadable->problem.find("tasks[0].extras." + std::string(key)), std::string::npos)
            << a.extras.unreadable->problem;
        EXPECT_FALSE(a.extras.triggers) << "nothing of a bad entry is taken";
        const Task b = *app->CopyOfTask(1);
        EXPECT_FALSE(b.extras.unreadable);
        EXPECT_TRUE(b.extras.routines);
        EXPECT_EQ(b.extras.commitEvery, 7);

        ASSERT_TRUE(app->SaveTaskList().ok());
        const Json written = EntriesOf(extrasFile);
        ASSERT_EQ(written.size(), 2u);
        EXPECT_EQ(written[0], *ParseJson(bad));
        app.reset();
        auto again = Open();
        EXPECT_TRUE(again->CopyOfTask(0)->extras.unreadable);
        EXPECT_TRUE(again->CopyOfTask(1)->extras.routines);
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

// A delete refused because the task list cannot be replaced keeps the task's extras for
// the next start (the extras file is not rewritten without it). Every step of such a save
// fails in turn in AtomicFileSetTest.
TEST_F(TaskExtrasFileTest, ARefusedDeleteKeepsTheTasksExtras)
{
    {
        auto app = Open();
        ASSERT_TRUE(app);
        Task task = Named("c");
        task.extras.routines = true;
        task.extras.commitEvery = 9;
        ASSERT_TRUE(app->CreateTask(task).ok());
    }
    const std::string listBytes = *ReadFileBytes(folder->TaskListFile());
    auto app = Open();
    ASSERT_TRUE(app);
    std::filesystem::remove(folder->TaskListFile());
    std::filesystem::create_directories(folder->TaskListFile() / "in the way");
    const auto removed = app->RemoveTasksSaved({2});
    ASSERT_FALSE(removed.ok());
    EXPECT_EQ(app->TaskCount(), 3u);
    app.reset();

    std::filesystem::remove_all(folder->TaskListFile());
    Write(folder->TaskListFile(), listBytes);
    auto reopened = Open();
    ASSERT_EQ(reopened->TaskCount(), 3u);
    const Task c = *reopened->CopyOfTask(2);
    EXPECT_TRUE(c.extras.routines);
    EXPECT_EQ(c.extras.commitEvery, 9);
}

} // namespace
} // namespace kelvanto
