#include "app/DefaultEngines.h"
#include "tests/cli/CliHarness.h"
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

// Imports the shipped example, pointed at the test server, a private copy of Sakila and a
// private backup folder.
void ImportSakilaExample(CliHarness& h, const test::TestServerAddress& server, const std::string& databaseName)
{
    const char* source = std::getenv("KELVANTO_SOURCE_DIR");
    json task = json::parse(h.ReadFile(std::filesystem::path(source ? source : ".") / "examples/backup-sakila.json"));
    task["source"]["host"] = server.host;
    task["source"]["port"] = server.port;
    task["source"]["user"] = server.user;
    task["source"]["password"] = server.password;
    task["databases"][0]["name"] = databaseName;
    for (auto& table : task["databases"][0]["tables"])
        table["database"] = databaseName;
    const auto backups = h.tmp.path() / "backups";
    task["backupSettings"]["backupFolder"] = backups.string() + "/";
    ASSERT_EQ(h.Run({"task", "import", "-"}, task.dump()).code, 0);
}

std::vector<std::filesystem::path> FilesBelow(const std::filesystem::path& folder)
{
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file())
            files.push_back(entry.path());
    }
    return files;
}

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
// stopped, the dump stays as far as it was written (it ends with whole statements), and
// no history entry names it.
TEST(RunCommandServerTest, CtrlCInTheMiddleOfARealBackupLeavesTheDumpAndNoHistory)
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

    const auto dumps = FilesBelow(h.tmp.path() / "backups");
    ASSERT_EQ(dumps.size(), 1u);
    const std::string dump = h.ReadFile(dumps[0]);
    EXPECT_EQ(dump.rfind("-- Kelvanto Standard Edition 2.1", 0), 0u);
    std::string_view body(dump);
    while (!body.empty() && (body.back() == '\n' || body.back() == '\r'))
        body.remove_suffix(1);
    ASSERT_FALSE(body.empty());
    EXPECT_EQ(body.back(), ';'); // whole statements only
    EXPECT_EQ(dump.find("INSERT INTO `store`"), std::string::npos); // the last table was never reached
}

} // namespace
} // namespace kelvanto
