// Restores and scripts that commit in batches (commitEvery), against a real server: what a
// failure, a statement that commits by itself, the file's own transaction, a lock wait
// time-out and a stop leave on the server, and the lines that say what was undone.
#include "engines/restore/RestoreRun.h"
#include "engines/script/ScriptRun.h"
#include "mysql/MySqlLibrary.h"
#include "mysql/OpenConnection.h"
#include "tests/support/FakeRunContext.h"
#include "tests/support/RoundTrip.h"
#include "tests/support/RoundTripDatabase.h"
#include "tests/support/RoundTripRestore.h"
#include "tests/support/ServerSession.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestServer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

namespace kelvanto::test
{
namespace
{

using Lines = std::vector<std::string>;

std::string Insert(const std::string& value)
{
    return "INSERT INTO t (v) VALUES ('" + value + "');\n";
}

// The lines after the connection lines and the "Restoring..." lines.
Lines Notes(const Lines& log)
{
    Lines notes;
    for (std::size_t i = 2; i < log.size(); ++i) {
        if (log[i].rfind("Restoring", 0) != 0)
            notes.push_back(log[i].substr(0, log[i].find("  Error NO. "))); // the server's cause aside
    }
    return notes;
}

class StatementBatchTest : public ::testing::Test
{
protected:
    std::string Write(const std::string& name, const std::string& text)
    {
        const auto path = dir.path() / name;
        std::ofstream(path, std::ios::binary) << text;
        return path.string();
    }
    std::string Setup(const std::string& database, const std::string& engine = "InnoDB")
    {
        return Write("setup.sql",
            "CREATE DATABASE " + QuoteName(database) + ";\nUSE " + QuoteName(database)
                + ";\nCREATE TABLE t (n INT AUTO_INCREMENT PRIMARY KEY, v VARCHAR(20)) ENGINE=" + engine + ";\n");
    }

    TempDir dir;
};

TEST_F(StatementBatchTest, WhatARestoreKeepsAfterAFailureOrAStatementThatCommitsByItself)
{
    KELVANTO_REQUIRE_SERVER(server, 1);
    InitMySqlLibrary();
    RoundTripDatabase database("kv_batch", {server});
    const std::string bad = "INSERT INTO nowhere VALUES (1)";
    const std::string failed = "Failed to execute the SQL statement: " + bad;
    struct Row
    {
        const char* name;
        std::int32_t commitEvery;
        std::uint8_t continueOnSqlError;
        std::string data;
        std::string rows;
        Lines notes;
        const char* engine = "InnoDB";
    };
    const std::string five = Insert("a1") + Insert("a2") + Insert("a3") + Insert("a4") + Insert("a5");
    const Row rows[] = {
        {"no batches: every statement before the failure stays", 0, 0, five + bad + ";\n" + Insert("a6"),
            "a1 a2 a3 a4 a5", {failed}},
        {"the open batch is undone, the batches before it stay", 3, 0, five + bad + ";\n" + Insert("a6"), "a1 a2 a3",
            {failed, "Rolled back the uncommitted batch: 2 statements undone (NO. 4 to NO. 5)"}},
        {"going on after a failure keeps the others", 3, 1, five + bad + ";\n" + Insert("a6"), "a1 a2 a3 a4 a5 a6",
            {failed, "Finished"}},
        {"DDL commits the batch before it", 10, 0,
            Insert("a1") + Insert("a2") + "CREATE TABLE u (x INT);\n" + Insert("a3") + bad + ";\n", "a1 a2",
            {failed, "Rolled back the uncommitted batch: 1 statement undone (NO. 4 to NO. 4)"}},
        {"the file's own transaction is its own", 10, 0,
            Insert("a1") + "START TRANSACTION;\n" + Insert("x1") + "ROLLBACK;\nSET autocommit=0;\n" + Insert("a2")
                + "COMMIT;\nSET autocommit=1;\n" + Insert("a3") + "LOCK TABLES t WRITE;\n" + Insert("a4")
                + "UNLOCK TABLES;\n" + Insert("a5") + "START TRANSACTION;\n" + Insert("a6") + "SAVEPOINT s;\n"
                + Insert("x2") + "ROLLBACK TO SAVEPOINT s;\nCOMMIT;\n",
            "a1 a2 a3 a4 a5 a6", {"Finished"}},
        {"the end of the file commits", 1000, 0, five, "a1 a2 a3 a4 a5", {"Finished"}},
        {"a table that cannot roll back keeps the undone rows, and is named", 3, 0, five + bad + ";\n",
            "a1 a2 a3 a4 a5",
            {failed, "Rolled back the uncommitted batch: 2 statements undone (NO. 4 to NO. 5)",
                "These tables cannot roll back and keep the undone changes: " + database.name() + ".t"},
            "MyISAM"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(database.DropOn(server));
        Task task = MakeRestoreTask(
            server, {Setup(database.name(), row.engine), Write("data.sql", row.data)}, {row.continueOnSqlError, 0});
        task.extras.commitEvery = row.commitEvery;
        const EngineDump run = RunRestoreEngine(task);
        Lines log;
        for (const LogLine& line : run.log)
            log.push_back(line.text);
        EXPECT_EQ(Notes(log), row.notes);
        EXPECT_EQ(InsertedValues(server, database.name()), row.rows);
    }
}

TEST_F(StatementBatchTest, AStopUndoesTheOpenBatch)
{
    KELVANTO_REQUIRE_SERVER(server, 1);
    InitMySqlLibrary();
    RoundTripDatabase database("kv_batch_stop", {server});
    const std::string setup = Setup(database.name());
    const std::string data = Write("data.sql", Insert("a1") + Insert("a2") + Insert("a3") + Insert("a4"));
    Task task = MakeRestoreTask(server, {setup, data});
    task.extras.commitEvery = 3;
    FakeRunContext whole(task);
    ASSERT_EQ(RunRestoreFromFiles(whole, MakeMariaDbConnector()), RunOutcome::Finished);
    // Stops after each of the four statements of the data file: the checks after them are
    // the last four but the one after the file.
    const std::size_t checks = whole.QuitChecks();
    const std::string kept[] = {"<empty>", "<empty>", "a1 a2 a3", "a1 a2 a3"};
    for (std::size_t statement = 0; statement < 4; ++statement) {
        SCOPED_TRACE(statement);
        ASSERT_TRUE(database.DropOn(server));
        FakeRunContext context(task);
        context.QuitAfterChecks(checks - 5 + statement);
        EXPECT_EQ(RunRestoreFromFiles(context, MakeMariaDbConnector()), RunOutcome::Cancelled);
        const std::string rows = InsertedValues(server, database.name());
        EXPECT_EQ(rows.empty() ? "<empty>" : rows, kept[statement]);
        const bool undone = statement != 2; // the third statement ended a batch
        EXPECT_EQ(context.LogText().find("Rolled back the uncommitted batch") != std::string::npos, undone);
    }
}

// A statement that waits for a lock past innodb_lock_wait_timeout (the INSERT, for the gap
// that the other session's locking read holds): the batch is rolled back and sent again
// once; here the lock is let go when the second try begins.
TEST_F(StatementBatchTest, ALockWaitTimeOutSendsTheBatchAgainOnce)
{
    KELVANTO_REQUIRE_SERVER(server, 1);
    InitMySqlLibrary();
    RoundTripDatabase database("kv_batch_lock", {server});
    ASSERT_TRUE(database.DropOn(server));
    FakeRunContext setup(MakeRestoreTask(server, {Setup(database.name()), Write("a.sql", Insert("locked"))}));
    ASSERT_EQ(RunRestoreFromFiles(setup, MakeMariaDbConnector()), RunOutcome::Finished);
    const std::unique_ptr<Connection> holder = Open(SettingsFor(server));
    ASSERT_TRUE(holder);
    ASSERT_TRUE(holder->Query("START TRANSACTION") && holder->DiscardResults());
    ASSERT_TRUE(
        holder->Query("SELECT * FROM " + QuoteName(database.name()) + ".t FOR UPDATE") && holder->DiscardResults());

    const std::string data = Write("data.sql",
        "USE " + QuoteName(database.name()) + ";\nSET SESSION innodb_lock_wait_timeout=1;\n" + Insert("b1")
            + "UPDATE t SET v = 'changed' WHERE v = 'locked';\n" + Insert("b2"));
    Task task = MakeRestoreTask(server, {data});
    task.extras.commitEvery = 10;
    FakeRunContext context(task);
    context.SetLogHook([&](const LogLine& line) {
        if (line.text.find("sent again") != std::string::npos)
            holder->Query("COMMIT");
    });
    EXPECT_EQ(RunRestoreFromFiles(context, MakeMariaDbConnector()), RunOutcome::Finished);
    EXPECT_EQ(InsertedValues(server, database.name()), "changed b1 b2") << context.LogText();
    // The batch holds the SET and the INSERT before the UPDATE: the file's USE selects the
    // database as the stock client does (mysql_select_db), outside the batch.
    EXPECT_NE(context.LogText().find("Deadlock or lock wait time-out: the open batch of 2 statements is sent again"),
        std::string::npos)
        << context.LogText();
}

TEST_F(StatementBatchTest, AScriptCommitsInBatchesAndGoesOnAfterAFailure)
{
    KELVANTO_REQUIRE_SERVER(server, 1);
    InitMySqlLibrary();
    RoundTripDatabase database("kv_batch_script", {server});
    ASSERT_TRUE(database.DropOn(server));
    Task task;
    task.type = TaskType::ExecuteScript;
    task.source = SettingsFor(server);
    task.sqlStatements = {"CREATE DATABASE " + QuoteName(database.name()), "USE " + QuoteName(database.name()),
        "CREATE TABLE t (n INT AUTO_INCREMENT PRIMARY KEY, v VARCHAR(20))", Insert("a1"), Insert("a2"),
        "INSERT INTO nowhere VALUES (1)", Insert("a3"), Insert("a4"), Insert("a5")};
    task.extras.commitEvery = 2;
    FakeRunContext context(task);
    EXPECT_EQ(RunExecuteScript(context, MakeMariaDbConnector()), RunOutcome::Finished);
    EXPECT_EQ(InsertedValues(server, database.name()), "a1 a2 a3 a4 a5");
    const Lines log = context.LogTexts();
    EXPECT_EQ(std::count(log.begin(), log.end(), "Executed: 8 statements"), 1);

    // A stop in the middle of a batch undoes it.
    ASSERT_TRUE(database.DropOn(server));
    FakeRunContext whole(task);
    ASSERT_EQ(RunExecuteScript(whole, MakeMariaDbConnector()), RunOutcome::Finished);
    FakeRunContext stopped(task);
    stopped.QuitAfterChecks(whole.QuitChecks() - 1); // after a5, which opened the third batch
    ASSERT_TRUE(database.DropOn(server));
    EXPECT_EQ(RunExecuteScript(stopped, MakeMariaDbConnector()), RunOutcome::Cancelled);
    EXPECT_EQ(InsertedValues(server, database.name()), "a1 a2 a3 a4");
    EXPECT_NE(stopped.LogText().find("Rolled back the uncommitted batch: 1 statement undone (NO. 9 to NO. 9)"),
        std::string::npos);
}

} // namespace
} // namespace kelvanto::test
