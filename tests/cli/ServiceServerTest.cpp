// kelvanto-cli serve as a real process on a temporary data folder with the test server,
// driven by kelvanto-cli processes beside it: forwarded runs, reload, quit, kill -9 and
// restart, simultaneous imports, and the data folder's lock between a command line and a
// starting service.
#include "app/ControlClient.h"
#include "app/DataFolderLock.h"
#include "app/LineChannel.h"
#include "app/TaskJson.h"
#include "app/UnixSocket.h"
#include "model/FileBytes.h"
#include "model/TaskListStore.h"
#include "mysql/MySqlLibrary.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/RoundTripDatabase.h"
#include "tests/support/ServerSession.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestServer.h"

#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <thread>

namespace kelvanto::test
{
namespace
{

using namespace std::chrono_literals;

bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds limit = 20s)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(20ms);
    }
    return true;
}

class ServiceServer : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { InitMySqlLibrary(); }

    std::filesystem::path data() const { return tmp.path() / "data"; }

    std::vector<std::string> Cli(std::vector<std::string> args, const std::filesystem::path& folder = {}) const
    {
        std::vector<std::string> argv {CliExecutable(), "--data-dir", (folder.empty() ? data() : folder).string()};
        argv.insert(argv.end(), args.begin(), args.end());
        return argv;
    }

    // A scheduler that answers on its socket.
    bool Answers() const
    {
        auto client = ControlClient::Connect(data() / "kelvanto.sock");
        if (!client)
            return false;
        auto reply = client->Request(ControlRequestLine("hello"), 2s);
        return reply && (*reply)["ok"] == true;
    }

    std::unique_ptr<ChildProcess> StartService(std::vector<std::string> extra = {})
    {
        std::vector<std::string> args {"serve"};
        args.insert(args.end(), extra.begin(), extra.end());
        auto service = std::make_unique<ChildProcess>(Cli(args));
        EXPECT_TRUE(WaitFor([&] { return Answers() || !service->Running(); })) << service->Err();
        EXPECT_TRUE(service->Running()) << service->Err();
        return service;
    }

    // A backup task of the test database's table `t` into a new file per run.
    std::string BackupTask(const TestServerAddress& server, const std::string& database) const
    {
        Json task = {{"name", "Backup"}, {"type", 1},
            {"source",
                {{"host", server.host}, {"port", server.port}, {"user", server.user}, {"password", server.password}}},
            {"backupSettings",
                {{"fileType", 1}, {"fileMode", 2}, {"fileSplit", 1},
                    {"backupFolder", (tmp.path() / "backups").string() + "/"}, {"unixLineEnds", 1}}},
            {"databases",
                {{{"checkState", 2}, {"name", database},
                    {"tables", {{{"checkState", 2}, {"kind", 1}, {"database", database}, {"name", "t"}}}}}}}};
        return task.dump();
    }

    // Makes the database with its table of three rows and imports the backup task.
    void PrepareBackup(const TestServerAddress& server, const std::string& database)
    {
        ASSERT_EQ(RunMariadbClient(server,
                      "CREATE DATABASE `" + database + "`; USE `" + database
                          + "`; CREATE TABLE t (id INT PRIMARY KEY, name VARCHAR(10)) ENGINE=InnoDB;"
                            " INSERT INTO t VALUES (1,'a'),(2,'b'),(3,'c'); ANALYZE TABLE t;"),
            0);
        const auto imported = RunProgram(Cli({"task", "import", "-"}), BackupTask(server, database));
        ASSERT_EQ(imported.code, 0) << imported.err;
    }

    std::string ListRow(const std::string& name) const
    {
        const std::string list = RunProgram(Cli({"list"})).out;
        const auto at = list.find(name + "\t");
        return at == std::string::npos ? std::string() : list.substr(at, list.find('\n', at) - at);
    }

    Json Exported(const std::string& name) const { return Json::parse(RunProgram(Cli({"task", "export", name})).out); }

    TempDir tmp;
};

TEST_F(ServiceServer, AForwardedRunFinishesAndAQuitKeepsItsHistory)
{
    KELVANTO_REQUIRE_SERVER(server, 1);
    RoundTripDatabase database("svc_run", {server});
    PrepareBackup(server, database.name());
    auto service = StartService();

    const auto run = RunProgram(Cli({"run", "Backup"}));
    EXPECT_EQ(run.code, 0) << run.out << run.err;
    EXPECT_NE(run.out.find("\tGeneral Info\tRunning...\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("\tGeneral Info\tBackup the records from the table OK - 3 records\n"), std::string::npos);
    EXPECT_NE(run.out.find("\tGeneral Info\tFinished\n["), std::string::npos) << run.out;
    EXPECT_TRUE(run.out.ends_with("\tGeneral Info\tRun ended: succeeded\n")) << run.out;
    EXPECT_NE(ListRow("Backup").find("\tManual\tStop\t"), std::string::npos) << ListRow("Backup");
    EXPECT_TRUE(ListRow("Backup").ends_with("\tOK")) << ListRow("Backup");

    service->Signal(SIGTERM);
    ASSERT_EQ(service->Wait(), 0) << service->Err();
    // Every line of the task's log reached the service's standard error, with the task's name.
    for (const char* line : {"Backup: Run task immediately\n", "Backup: Running...\n", "Backup: Finished\n"})
        EXPECT_NE(service->Err().find(line), std::string::npos) << line << "\n" << service->Err();

    EXPECT_FALSE(DataFolderLock::Holder(data()));
    EXPECT_FALSE(std::filesystem::exists(data() / "kelvanto.sock"));
    const Json task = Exported("Backup");
    EXPECT_EQ(task["backupHistory"].size(), 1u);
    EXPECT_GT(task["lastRunTime"]["year"], 0);
}

TEST_F(ServiceServer, SighupReloadsTheTaskListFromItsFile)
{
    auto service = StartService();
    EXPECT_EQ(RunProgram(Cli({"list"})).out, "");

    // Another tool writes the task list file: here, the file of another data folder.
    const auto other = tmp.path() / "other";
    for (const char* name : {"A", "B"}) {
        const auto imported = RunProgram(Cli({"task", "import", "-"}, other),
            std::string(R"({"type": 5, "sqlStatements": ["SELECT 1;"], "name": ")") + name + "\"}");
        ASSERT_EQ(imported.code, 0) << imported.err;
    }
    std::filesystem::copy_file(
        other / "tasks_se.tsk", data() / "tasks_se.tsk", std::filesystem::copy_options::overwrite_existing);
    EXPECT_EQ(RunProgram(Cli({"list"})).out, "") << "the running scheduler keeps its list until told";

    service->Signal(SIGHUP);
    EXPECT_TRUE(WaitFor([&] { return !ListRow("A").empty() && !ListRow("B").empty(); }));
    EXPECT_NE(service->Err().find("Successfully loaded the task list from the file!"), std::string::npos);
    service->Signal(SIGTERM);
    EXPECT_EQ(service->Wait(), 0);
}

TEST_F(ServiceServer, KilledInTheMiddleOfARunTheNextStartFindsEverythingWhole)
{
    KELVANTO_REQUIRE_SERVER(server, 1);
    RoundTripDatabase database("svc_kill", {server});
    PrepareBackup(server, database.name());
    const std::string listBefore = *ReadFileBytes(data() / "tasks_se.tsk");

    // The table locked for writing: the backup's SELECT waits for it, in the middle of the run.
    auto locker = Open(SettingsFor(server));
    ASSERT_TRUE(locker);
    ASSERT_TRUE(locker->Query("LOCK TABLES `" + database.name() + "`.t WRITE"));
    auto service = StartService();
    ChildProcess run(Cli({"run", "Backup"}));
    ASSERT_TRUE(WaitFor([&] { return ListRow("Backup").find("\tRunning...\t") != std::string::npos; }));
    // The live list carries the run's progress: the table being dumped.
    EXPECT_TRUE(WaitFor([&] { return ListRow("Backup").find("\t" + database.name() + ".t: 0") != std::string::npos; }))
        << ListRow("Backup") << "\n"
        << service->Err();

    service->Signal(SIGKILL);
    EXPECT_EQ(service->Wait(), 128 + SIGKILL);
    EXPECT_EQ(run.Wait(), 1);
    EXPECT_NE(run.Err().find("the scheduler closed the connection"), std::string::npos) << run.Err();
    ASSERT_TRUE(locker->Query("UNLOCK TABLES"));

    EXPECT_EQ(*ReadFileBytes(data() / "tasks_se.tsk"), listBefore) << "the task list is whole";
    EXPECT_TRUE(std::filesystem::exists(data() / "kelvanto.sock")) << "a stale socket is left behind";
    EXPECT_FALSE(DataFolderLock::Holder(data())) << "the lock died with the process";

    auto restarted = StartService();
    const auto again = RunProgram(Cli({"run", "Backup"}));
    EXPECT_EQ(again.code, 0) << again.out << again.err;
    restarted->Signal(SIGTERM);
    EXPECT_EQ(restarted->Wait(), 0);
    EXPECT_EQ(Exported("Backup")["backupHistory"].size(), 1u);
}

TEST_F(ServiceServer, CtrlCOnAForwardedRunStopsTheTaskInTheScheduler)
{
    KELVANTO_REQUIRE_SERVER(server, 1);
    RoundTripDatabase database("svc_int", {server});
    PrepareBackup(server, database.name());
    auto locker = Open(SettingsFor(server));
    ASSERT_TRUE(locker);
    ASSERT_TRUE(locker->Query("LOCK TABLES `" + database.name() + "`.t WRITE"));
    auto service = StartService();

    ChildProcess run(Cli({"run", "Backup"}));
    ASSERT_TRUE(WaitFor([&] { return ListRow("Backup").find("\tRunning...\t") != std::string::npos; }));
    run.Signal(SIGINT);
    EXPECT_EQ(run.Wait(), 130) << run.Out() << run.Err();
    EXPECT_NE(run.Out().find("\tWarning Info\tUser canceled!\n"), std::string::npos) << run.Out();
    EXPECT_NE(ListRow("Backup").find("\tStop\t"), std::string::npos);
    ASSERT_TRUE(locker->Query("UNLOCK TABLES"));
    service->Signal(SIGTERM);
    EXPECT_EQ(service->Wait(), 0);
    EXPECT_NE(service->Err().find("Backup: Stop task\n"), std::string::npos) << service->Err();
    EXPECT_EQ(Exported("Backup")["backupHistory"].size(), 0u);
}

TEST_F(ServiceServer, CommandLinesImportingAtTheSameMomentAllLand)
{
    auto service = StartService();
    std::vector<std::unique_ptr<ChildProcess>> imports;
    for (int i = 0; i < 4; ++i) {
        imports.push_back(std::make_unique<ChildProcess>(Cli({"task", "import", "-"}),
            R"({"type": 5, "sqlStatements": ["SELECT 1;"], "name": "T)" + std::to_string(i) + "\"}"));
    }
    for (auto& import : imports)
        EXPECT_EQ(import->Wait(), 0) << import->Err();
    auto stored = LoadTaskListFile(data() / "tasks_se.tsk");
    ASSERT_TRUE(stored.ok()) << stored.error();
    EXPECT_EQ(stored->size(), 4u);
    for (int i = 0; i < 4; ++i) {
        const std::string name = "T" + std::to_string(i);
        EXPECT_FALSE(ListRow(name).empty()) << name;
        EXPECT_TRUE(std::any_of(stored->begin(), stored->end(), [&](const Task& t) { return t.name == name; }));
    }
    service->Signal(SIGTERM);
    EXPECT_EQ(service->Wait(), 0);
}

// Requests nested at the limit are read, one level deeper refused, and 65,000 levels (which
// overflowed the stack) refused the same: the service answers each and goes on.
TEST_F(ServiceServer, RequestsNestedTooDeepAreRefusedAndTheServiceGoesOn)
{
    auto service = StartService();
    auto socket = UnixSocket::Connect(data() / "kelvanto.sock");
    ASSERT_TRUE(socket.ok()) << socket.error();
    LineChannel channel(std::move(*socket), control::kMaxReplyBytes);
    // The request's object, the task's, and the comment's arrays.
    for (const std::size_t depth : {64u, 65u, 66u, 65001u}) {
        SCOPED_TRACE(depth);
        const std::size_t arrays = depth - 2;
        ASSERT_TRUE(channel.WriteLine(R"({"v": 1, "cmd": "task-import", "task": {"name": "Deep", "comment": )"
            + std::string(arrays, '[') + std::string(arrays, ']') + "}}"));
        std::string line;
        ASSERT_EQ(channel.ReadLine(line, 20s), LineChannel::Read::Line);
        const Json reply = Json::parse(line);
        EXPECT_EQ(reply["ok"], false);
        const std::string error = reply["error"];
        if (depth <= control::kMaxRequestDepth)
            EXPECT_EQ(error, R"(comment: must be a text or {"hex": "..."})");
        else
            EXPECT_EQ(error.rfind("arrays and objects nested deeper than 65 levels (at byte ", 0), 0u) << error;
    }
    const auto imported = RunProgram(Cli({"task", "import", "-"}),
        R"({"name": "Deep", "comment": )" + std::string(65000, '[') + std::string(65000, ']') + "}");
    EXPECT_EQ(imported.code, 1);
    EXPECT_NE(imported.err.find("nested deeper than 64 levels"), std::string::npos) << imported.err;
    EXPECT_TRUE(service->Running());
    EXPECT_TRUE(Answers());
    EXPECT_EQ(RunProgram(Cli({"task", "import", "-"}), R"({"name": "Shallow"})").code, 0);
    service->Signal(SIGTERM);
    EXPECT_EQ(service->Wait(), 0) << service->Err();
}

TEST_F(ServiceServer, AStartingServiceWaitsForACommandLineAndRefusesAnotherScheduler)
{
    KELVANTO_REQUIRE_SERVER(server, 1);
    RoundTripDatabase database("svc_lock", {server});
    PrepareBackup(server, database.name());

    // A command that holds the folder longer than the service waits: refused, naming it.
    {
        auto held = DataFolderLock::Acquire(data(), "kelvanto-cli task import");
        ASSERT_TRUE(held.ok());
        const std::string before = *ReadFileBytes(data() / "tasks_se.tsk");
        const auto refused = RunProgram(Cli({"serve", "--lock-wait", "0.2"}));
        EXPECT_EQ(refused.code, 1);
        EXPECT_NE(refused.err.find("is in use by kelvanto-cli task import (pid " + std::to_string(::getpid()) + ")"),
            std::string::npos)
            << refused.err;
        EXPECT_EQ(*ReadFileBytes(data() / "tasks_se.tsk"), before);
    }

    // A run of the command line in progress: the service waits for it, then reads the list
    // that the run saved, with the run in it.
    auto locker = Open(SettingsFor(server));
    ASSERT_TRUE(locker);
    ASSERT_TRUE(locker->Query("LOCK TABLES `" + database.name() + "`.t WRITE"));
    ChildProcess run(Cli({"run", "Backup"}));
    ASSERT_TRUE(WaitFor([&] {
        const auto holder = DataFolderLock::Holder(data());
        return holder && holder->description == "kelvanto-cli run";
    }));
    ChildProcess service(Cli({"serve", "--lock-wait", "30"}));
    std::this_thread::sleep_for(300ms);
    EXPECT_TRUE(service.Running());
    EXPECT_FALSE(Answers());
    ASSERT_TRUE(locker->Query("UNLOCK TABLES"));
    EXPECT_EQ(run.Wait(), 0) << run.Out() << run.Err();
    ASSERT_TRUE(WaitFor([&] { return Answers(); })) << service.Err();
    const std::string row = ListRow("Backup");
    const auto stopped = row.find("\tManual\tStop\t");
    ASSERT_NE(stopped, std::string::npos) << row;
    EXPECT_NE(row[stopped + 13], '\t') << "the run time that the command line saved: " << row;

    // A second scheduler on the same folder is refused at once.
    const auto second = RunProgram(Cli({"serve"}));
    EXPECT_EQ(second.code, 1);
    EXPECT_NE(second.err.find("is in use by kelvanto-cli serve (pid " + std::to_string(service.pid()) + ")"),
        std::string::npos)
        << second.err;
    service.Signal(SIGTERM);
    EXPECT_EQ(service.Wait(), 0);
    EXPECT_EQ(Exported("Backup")["backupHistory"].size(), 1u);
}

} // namespace
} // namespace kelvanto::test
