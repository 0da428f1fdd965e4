// What a copy must never do, against the real servers: copy a database onto itself (through
// any name or address of the same server), let one failed table break the tables after it,
// or keep running when it is stopped in the middle of a long statement on either side.
#include "engines/copy/ServerCopy.h"
#include "mysql/MySqlLibrary.h"
#include "mysql/OpenConnection.h"
#include "schedule/RunResult.h"
#include "tests/support/FakeRunContext.h"
#include "tests/support/RoundTrip.h"
#include "tests/support/RoundTripDatabase.h"
#include "tests/support/RoundTripEngine.h"
#include "tests/support/ServerSession.h"
#include "tests/support/TestServer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <future>
#include <string>
#include <thread>

namespace kelvanto::test
{
namespace
{

std::string Join(const std::vector<std::string>& lines)
{
    std::string text;
    for (const auto& line : lines)
        text += line + "\n";
    return text;
}

// A database `name` of two tables, rows in both, and a view.
std::string SmallDatabaseScript(const std::string& name)
{
    return "CREATE DATABASE " + QuoteName(name) + ";\nUSE " + QuoteName(name) + ";\n"
        + "CREATE TABLE a (id INT PRIMARY KEY, v LONGTEXT);\n"
          "INSERT INTO a SELECT seq, CONCAT('row ', seq) FROM seq_1_to_25;\n"
          "CREATE TABLE b (id INT PRIMARY KEY, w VARCHAR(10));\n"
          "INSERT INTO b VALUES (1, 'x'), (2, NULL);\n"
          "CREATE VIEW v AS SELECT a.id, b.w FROM a JOIN b USING (id);\n";
}

// The source reached through the loopback names of its own host: every copy onto itself is
// skipped with an error line and leaves the source as it was, while a copy into another
// database of the same server goes ahead.
TEST(ServerCopySelfCopy, OntoItselfThroughAnyNameIsRefusedAndTheSourceStaysIntact)
{
    KELVANTO_REQUIRE_SERVER(server, 1);
    RoundTripDatabase database("kv_self", {server});
    const std::string other = database.Derived("_other");
    std::string output;
    ASSERT_EQ(RunMariadbClient(server, SmallDatabaseScript(database.name()), &output), 0) << output;
    const auto original = TakeFingerprint(server, database.name());
    ASSERT_EQ(original.tableCount(), 2u);
    // "localhost" means the server's socket to the client library.
    ASSERT_FALSE(server.socket.empty());
    ::setenv("MYSQL_UNIX_PORT", server.socket.c_str(), 1);

    const std::vector<DatabaseItem> chosen {
        DatabaseItem {2, database.name(), ListObjectsForTask(server, database.name())}};
    for (const char* host : {"localhost", "127.0.0.1", "127.1"}) {
        for (TaskType type : {TaskType::BackupToServer, TaskType::BackupToDatabase, TaskType::RestoreFromDatabase}) {
            SCOPED_TRACE(std::string(host) + " type " + std::to_string(static_cast<int>(type)));
            Task task = MakeCopyTask(type, server, server, chosen);
            task.destination.host = host;
            task.backupSettings.destDatabaseName = database.name();
            task.backupSettings.addDeleteAll = 1;
            const EngineDump run = RunCopyEngine(task, MakeMariaDbConnector());
            EXPECT_EQ(run.outcome, RunOutcome::Finished) << run.logText();
            EXPECT_EQ(run.errors(),
                "Skipped the database " + database.name() + ": its destination " + database.name()
                    + " is the source database itself, on the same MySQL server!\n");
            EXPECT_EQ(Join(CompareFingerprints(original, TakeFingerprint(server, database.name()))), "");
        }
    }

    // Another database of the same server is a copy like any other.
    Task task = MakeCopyTask(TaskType::BackupToDatabase, server, server, chosen);
    task.destination.host = "127.1";
    task.backupSettings.destDatabaseName = other;
    const EngineDump run = RunCopyEngine(task, MakeMariaDbConnector());
    EXPECT_EQ(run.outcome, RunOutcome::Finished) << run.logText();
    EXPECT_EQ(run.errors(), "");
    EXPECT_EQ(Join(CompareFingerprints(original, TakeFingerprint(server, other))), "");
    EXPECT_EQ(Join(CompareFingerprints(original, TakeFingerprint(server, database.name()))), "");
}

// A row longer than the destination takes ends its own table with error lines, and the copy
// goes on: the table's lock, keys and transaction on the destination are closed, so the next
// table and the view arrive whole, and the destination connection survives (a statement over
// the server's max_allowed_packet is never sent; the server would drop the connection).
TEST(ServerCopyFailures, AFailedTableLeavesNothingOpenForTheTablesAfterIt)
{
    KELVANTO_REQUIRE_SERVER(source, 1);
    KELVANTO_REQUIRE_SERVER(target, 2);
    RoundTripDatabase database("kv_fail", {source, target});
    std::string output;
    ASSERT_EQ(
        RunMariadbClient(source,
            SmallDatabaseScript(database.name()) + "UPDATE a SET v = REPEAT('x', 5 * 1024 * 1024) WHERE id = 3;\n",
            &output),
        0)
        << output;

    Task task = MakeCopyTask(TaskType::BackupToServer, source, target,
        {DatabaseItem {2, database.name(), ListObjectsForTask(source, database.name())}});
    task.backupSettings.multiRowInsert = 1;
    task.backupSettings.addAutocommit = 1;
    const EngineDump run = RunCopyEngine(task, MakeMariaDbConnector());
    EXPECT_EQ(run.outcome, RunOutcome::Finished) << run.logText();
    // "INSERT INTO `a` VALUES (3,'" + 5 MiB + "')": the single row alone is too long.
    const std::string tooLong = std::to_string(5 * 1024 * 1024 + 29);
    EXPECT_EQ(run.errors(),
        "Failed to insert multi-rows records to the table a!\nThe statement of " + tooLong
            + " bytes for the table a is longer than the destination server accepts (max_allowed_packet)!\n"
              "Backup the records from the table a stopped after 2 records!\n")
        << run.logText();

    const auto original = TakeFingerprint(source, database.name());
    const auto copy = TakeFingerprint(target, database.name());
    EXPECT_EQ(copy.objects.at("b"), original.objects.at("b"));
    EXPECT_TRUE(copy.objects.at("v").isView);
    EXPECT_EQ(copy.objects.at("a").rowCount, "2");
}

// A refused row ends its table's rows: the copy sends a row while it reads the next, and a
// refusal that comes back with the answer still stops the rows there, counted as they stood.
TEST(ServerCopyFailures, ARefusedRowEndsTheRowsOfItsTable)
{
    KELVANTO_REQUIRE_SERVER(source, 1);
    KELVANTO_REQUIRE_SERVER(target, 2);
    RoundTripDatabase database("kv_refuse", {source, target});
    const std::string name = QuoteName(database.name());
    std::string output;
    ASSERT_EQ(RunMariadbClient(source,
                  "CREATE DATABASE " + name + ";\nCREATE TABLE " + name
                      + ".d (id INT PRIMARY KEY, w VARCHAR(10));\nINSERT INTO " + name
                      + ".d VALUES (1, 'x'), (2, 'y'), (3, 'x'), (4, 'z');\n",
                  &output),
        0)
        << output;
    ASSERT_EQ(
        RunMariadbClient(target,
            "CREATE DATABASE " + name + ";\nCREATE TABLE " + name + ".d (id INT, w VARCHAR(10) UNIQUE);\n", &output),
        0)
        << output;
    Task task = MakeCopyTask(
        TaskType::BackupToServer, source, target, {DatabaseItem {2, database.name(), {{2, 1, database.name(), "d"}}}});
    task.backupSettings.addDropTable = 0;
    const EngineDump run = RunCopyEngine(task, MakeMariaDbConnector());
    EXPECT_EQ(run.outcome, RunOutcome::Finished) << run.logText();
    // The refusal says why, and the rows line says where they stopped.
    EXPECT_EQ(run.errors(),
        "Failed to insert a record to the table d!  Error NO. 1062  Duplicate entry 'x' for key 'w'\n"
        "Backup the records from the table d stopped after 2 records!\n");
    EXPECT_EQ(run.logText().find("table OK"), std::string::npos) << run.logText();
    ASSERT_EQ(RunMariadbClient(target, "SELECT COUNT(*) FROM " + name + ".d;\n", &output), 0) << output;
    EXPECT_EQ(output, "2\n");
}

// The destination's connection killed in the middle of a copy (as a server that goes away
// would drop it): the run ends at once with the server's error, tries no later object, and
// fails; a stop that kills the connections itself is a stop, not a loss.
TEST(ServerCopyFailures, ALostDestinationEndsTheCopyAtOnce)
{
    KELVANTO_REQUIRE_SERVER(source, 1);
    KELVANTO_REQUIRE_SERVER(target, 2);
    InitMySqlLibrary();
    RoundTripDatabase database("kv_lost", {source, target});
    std::string output;
    ASSERT_EQ(RunMariadbClient(source, SmallDatabaseScript(database.name()), &output), 0) << output;

    FakeRunContext context(MakeCopyTask(TaskType::BackupToServer, source, target,
        {DatabaseItem {2, database.name(), ListObjectsForTask(source, database.name())}}));
    std::string killed;
    context.SetLogHook([&](const LogLine& line) {
        if (!killed.empty() || line.text.find("Backing up the table " + database.name() + ".") != 0)
            return;
        // From a session of its own: every other connection that uses the copy's database.
        auto admin = Open(SettingsFor(target));
        if (!admin)
            return;
        killed = FirstValue(*admin,
            "SELECT GROUP_CONCAT(ID) FROM information_schema.PROCESSLIST WHERE DB = '" + database.name()
                + "' AND ID <> CONNECTION_ID()");
        for (std::size_t start = 0; start < killed.size();) {
            const std::size_t comma = std::min(killed.find(',', start), killed.size());
            admin->Query("KILL CONNECTION " + killed.substr(start, comma - start));
            start = comma + 1;
        }
    });
    const RunOutcome outcome = RunServerCopy(context, MakeMariaDbConnector());
    ASSERT_FALSE(killed.empty() || killed.front() == '<') << killed;
    EXPECT_TRUE(context.ConnectionLost()) << context.LogText();
    EXPECT_EQ(DecideRunResult(outcome, context.ErrorLines(), context.ConnectionLost()), RunResult::Failed);
    const std::vector<std::string> log = context.LogTexts();
    const auto lost = std::find_if(log.begin(), log.end(), [](const std::string& line) {
        return line.starts_with("Lost the connection to the MySQL server!  Error NO. 2");
    });
    ASSERT_NE(lost, log.end()) << context.LogText();
    // Only the table it was on: no later object, no "Finished".
    std::size_t objects = 0;
    for (const std::string& line : log)
        objects += line.starts_with("Backing up the table ") || line.starts_with("Backing up the view ");
    EXPECT_EQ(objects, 1u) << context.LogText();
    EXPECT_EQ(std::find(log.begin(), log.end(), "Finished"), log.end());
    EXPECT_LE(context.ErrorLines(), 3u) << context.LogText();
}

// A stop while the copy waits for a locked table, on the source or on the destination: the
// runner cancels both registered connections, the blocked statement returns, and the run
// ends as cancelled.
TEST(ServerCopyStop, AStopDuringALongStatementOnEitherSideEndsTheRun)
{
    KELVANTO_REQUIRE_SERVER(source, 1);
    KELVANTO_REQUIRE_SERVER(target, 2);
    InitMySqlLibrary();
    RoundTripDatabase database("kv_stop", {source, target});
    std::string output;
    ASSERT_EQ(RunMariadbClient(source, SmallDatabaseScript(database.name()), &output), 0) << output;

    for (const TestServerAddress* locked : {&source, &target}) {
        SCOPED_TRACE(locked == &source ? "source" : "destination");
        database.DropOn(target);
        ASSERT_EQ(RunMariadbClient(target,
                      "CREATE DATABASE " + QuoteName(database.name()) + ";\nCREATE TABLE " + QuoteName(database.name())
                          + ".a (id INT);\n",
                      &output),
            0)
            << output;
        auto holder = Open(SettingsFor(*locked));
        ASSERT_TRUE(holder);
        ASSERT_TRUE(holder->Query("LOCK TABLES " + QuoteName(database.name()) + ".a WRITE")) << holder->ErrorText();

        FakeRunContext context(MakeCopyTask(TaskType::BackupToServer, source, target,
            {DatabaseItem {2, database.name(), {TableItem {2, 1, database.name(), "a"}}}}));
        std::promise<void> reached;
        bool announced = false;
        context.SetLogHook([&](const LogLine& line) {
            if (!announced && line.text.find("Backing up the database ") == 0) {
                announced = true;
                reached.set_value();
            }
        });
        const Connector connector = MakeMariaDbConnector();
        auto run = std::async(std::launch::async, [&] { return RunServerCopy(context, connector); });
        // Whatever happens below, the run is stopped before the test leaves.
        const auto stop = [&] {
            context.SetQuit(true);
            context.CancelRegistered();
        };
        const bool started = reached.get_future().wait_for(std::chrono::seconds(30)) == std::future_status::ready;
        // Give the copy time to block on the lock before the stop comes.
        std::this_thread::sleep_for(std::chrono::milliseconds(700));
        const bool blocked = run.wait_for(std::chrono::milliseconds(0)) == std::future_status::timeout;
        stop();
        const bool ended = run.wait_for(std::chrono::seconds(30)) == std::future_status::ready;
        holder->Query("UNLOCK TABLES");
        ASSERT_TRUE(started) << context.LogText();
        EXPECT_TRUE(blocked) << context.LogText();
        ASSERT_TRUE(ended) << context.LogText();
        EXPECT_EQ(run.get(), RunOutcome::Cancelled) << context.LogText();
        EXPECT_TRUE(context.Registered().empty());
        // Each connection attempt, then each connection.
        EXPECT_EQ(context.RegistrationCount(), 4u);
    }
}

} // namespace
} // namespace kelvanto::test
