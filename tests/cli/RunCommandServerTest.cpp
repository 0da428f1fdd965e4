#include "app/DefaultEngines.h"
#include "tests/cli/CliHarness.h"
#include "tests/cli/SakilaExample.h"
#include "tests/support/RoundTrip.h"
#include "tests/support/RoundTripDatabase.h"
#include "tests/support/TestServer.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string_view>
#include <thread>

namespace kelvanto
{
namespace
{

using nlohmann::json;
using test::CliHarness;
using test::FilesBelow;
using test::ImportSakilaExample;

// The shipped example, imported, run once in the foreground, and its dump checked.
TEST(RunCommandServerTest, TheSakilaExampleRunsToFinishedAndLeavesOneDump)
{
    KELVANTO_REQUIRE_SERVER(server, 1);
    test::RoundTripDatabase database("clirun", {server});
    ASSERT_EQ(test::LoadSakila(server, database.name()), "");

    CliHarness h;
    h.engines = MakeDefaultEngines;
    ASSERT_NO_FATAL_FAILURE(ImportSakilaExample(h, server, database.name()));
    const auto backups = h.tmp.path() / "backups";

    auto run = h.Run({"run", "Backup sakila"});
    ASSERT_EQ(run.code, 0) << run.out << run.err;
    EXPECT_NE(run.out.find("\tGeneral Info\tFinished\n"), std::string::npos) << run.out;

    // The dump, and beside it the manifest of its run.
    std::vector<std::filesystem::path> dumps;
    for (const auto& file : FilesBelow(backups)) {
        if (!file.string().ends_with(".manifest.json"))
            dumps.push_back(file);
    }
    ASSERT_EQ(dumps.size(), 1u);
    EXPECT_EQ(FilesBelow(backups).size(), 2u);
    EXPECT_TRUE(std::filesystem::exists(dumps[0].string() + ".manifest.json"));
    EXPECT_EQ(dumps[0].extension(), ".sql");
    const std::string dump = h.ReadFile(dumps[0]);
    for (const char* piece : {"CREATE TABLE IF NOT EXISTS `film` (", "INSERT INTO `actor`", "`customer_list`"})
        EXPECT_NE(dump.find(piece), std::string::npos) << piece;

    // The run is recorded in the saved task list: its history names the file.
    json saved = json::parse(h.Run({"task", "export", "Backup sakila"}).out);
    ASSERT_EQ(saved["backupHistory"].size(), 1u);
    EXPECT_EQ(saved["backupHistory"][0]["files"][0], dumps[0].string());
}

// A task of a task list written before the extras file existed has no entry in it: it runs
// with every extra off, so its dump is byte for byte that of the same task with every extra
// written off explicitly, before and after a save has written its entry.
TEST(RunCommandServerTest, ATaskWithoutAnExtrasEntryDumpsAsItAlwaysDid)
{
    KELVANTO_REQUIRE_SERVER(server, 1);
    test::RoundTripDatabase database("cliold", {server});
    ASSERT_EQ(test::LoadSakila(server, database.name()), "");

    CliHarness h;
    h.engines = MakeDefaultEngines;
    ASSERT_NO_FATAL_FAILURE(ImportSakilaExample(h, server, database.name()));
    const auto backups = h.tmp.path() / "backups";
    const auto extrasFile = h.dataDir() / "tasks_extras.json";
    ASSERT_TRUE(std::filesystem::exists(extrasFile));

    std::vector<std::string> dumps;
    for (const char* state : {"no extras file", "entry saved by the last run"}) {
        SCOPED_TRACE(state);
        if (dumps.empty())
            std::filesystem::remove(extrasFile);
        std::filesystem::remove_all(backups);
        auto run = h.Run({"run", "Backup sakila"});
        ASSERT_EQ(run.code, 0) << run.out << run.err;
        const auto files = test::DumpsBelow(backups);
        ASSERT_EQ(files.size(), 1u);
        dumps.push_back(h.ReadFile(files[0]));
        const json extras = json::parse(h.Run({"task", "export", "Backup sakila"}).out)["extras"];
        EXPECT_EQ(extras["consistentSnapshot"], false);
        EXPECT_EQ(extras["routines"], false);
        EXPECT_EQ(extras["triggers"], false);
        EXPECT_EQ(extras["events"], false);
    }
    EXPECT_TRUE(std::filesystem::exists(extrasFile)) << "the run's save wrote the entry";

    // The same task imported with every extra off, under another name.
    json task = json::parse(h.Run({"task", "export", "Backup sakila"}).out);
    task["name"] = "Backup sakila, extras off";
    ASSERT_EQ(h.Run({"task", "delete", "Backup sakila"}).code, 0);
    ASSERT_EQ(h.Run({"task", "import", "-"}, task.dump()).code, 0);
    std::filesystem::remove_all(backups);
    ASSERT_EQ(h.Run({"run", "Backup sakila, extras off"}).code, 0);
    const auto files = test::DumpsBelow(backups);
    ASSERT_EQ(files.size(), 1u);
    dumps.push_back(h.ReadFile(files[0]));

    ASSERT_GT(dumps[0].size(), 1000000u);
    EXPECT_TRUE(dumps[1] == dumps[0]);
    EXPECT_TRUE(dumps[2] == dumps[0]);
}

// Passes everything through to the runner's context, and presses Ctrl-C (as the SIGINT
// handler would) when the engine announces the given table.
class InterruptingContext final : public RunContext
{
public:
    InterruptingContext(RunContext& inner, std::atomic<bool>& interrupted, std::string trigger)
        : m_inner(inner)
        , m_interrupted(interrupted)
        , m_trigger(std::move(trigger))
    { }

    Task TaskCopy() const override { return m_inner.TaskCopy(); }
    void UpdateTask(const std::function<void(Task&)>& change) override { m_inner.UpdateTask(change); }
    // Once Ctrl-C is pressed, the next check waits (10 s at most) for the stop that the
    // command line sends, so that the stop lands at a known place in the run.
    bool QuitRequested() override
    {
        for (int i = 0; m_interrupted && i < 10000 && !m_inner.QuitRequested(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return m_inner.QuitRequested();
    }
    void Log(LogLevel level, std::string_view message) override
    {
        m_inner.Log(level, message);
        if (message.find(m_trigger) != std::string_view::npos)
            m_interrupted = true;
    }
    std::size_t ErrorLines() const override { return m_inner.ErrorLines(); }
    void MarkConnectionLost() override { m_inner.MarkConnectionLost(); }
    bool ConnectionLost() const override { return m_inner.ConnectionLost(); }
    TimeStamp Now() const override { return m_inner.Now(); }
    void RegisterCancellable(Cancellable* object) override { m_inner.RegisterCancellable(object); }
    void UnregisterCancellable(Cancellable* object) override { m_inner.UnregisterCancellable(object); }
    void SaveTaskList() override { m_inner.SaveTaskList(); }
    const std::filesystem::path& DataFolder() const override { return m_inner.DataFolder(); }
    void ReportProgress(const RunProgress& progress) override { m_inner.ReportProgress(progress); }

private:
    RunContext& m_inner;
    std::atomic<bool>& m_interrupted;
    std::string m_trigger;
};

// Ctrl-C in the middle of a real backup: the run ends with "User canceled!", the task is
// stopped, the dump, not whole, never takes its name nor leaves its temporary file, and no
// history entry names it.
TEST(RunCommandServerTest, CtrlCInTheMiddleOfARealBackupLeavesNoDumpAndNoHistory)
{
    KELVANTO_REQUIRE_SERVER(server, 1);
    test::RoundTripDatabase database("clistop", {server});
    ASSERT_EQ(test::LoadSakila(server, database.name()), "");

    CliHarness h;
    std::atomic<bool> interrupted {false};
    h.interrupted = &interrupted;
    h.engines = [&interrupted] {
        EngineTable engines = MakeDefaultEngines();
        Engine& backup = engines.at(TaskType::BackupToFiles);
        backup.run = [inner = backup.run, &interrupted](RunContext& context) {
            InterruptingContext interrupting(context, interrupted, "Backing up the table ");
            return inner(interrupting);
        };
        return engines;
    };
    ASSERT_NO_FATAL_FAILURE(ImportSakilaExample(h, server, database.name()));

    auto run = h.Run({"run", "Backup sakila"});
    EXPECT_EQ(run.code, 130) << run.out << run.err;
    EXPECT_NE(run.out.find("\tWarning Info\tUser canceled!\n"), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find("Finished"), std::string::npos) << run.out;
    EXPECT_NE(h.Run({"list"}).out.find("\tStop\t"), std::string::npos);

    json saved = json::parse(h.Run({"task", "export", "Backup sakila"}).out);
    EXPECT_TRUE(saved["backupHistory"].empty());

    EXPECT_EQ(FilesBelow(h.tmp.path() / "backups"), std::vector<std::filesystem::path>());
}

} // namespace
} // namespace kelvanto
