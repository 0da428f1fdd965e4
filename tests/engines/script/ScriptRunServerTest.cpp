// The execute-script engine against a real server: the log of a run, statements that
// return rows (a SELECT, a CALL with two result sets, a SELECT that fails after its first
// rows) followed by more statements, failed statements that do not stop the run, and a
// stop at every cancellation check.
#include "engines/script/ScriptRun.h"
#include "mysql/MySqlLibrary.h"
#include "mysql/OpenConnection.h"
#include "tests/support/FakeRunContext.h"
#include "tests/support/RoundTrip.h"
#include "tests/support/RoundTripDatabase.h"
#include "tests/support/RoundTripRestore.h"
#include "tests/support/ServerSession.h"
#include "tests/support/TestServer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace kelvanto::test
{
namespace
{

using Lines = std::vector<std::string>;

Task ScriptTask(const TestServerAddress& server, Lines statements)
{
    Task task;
    task.type = TaskType::ExecuteScript;
    task.source = SettingsFor(server);
    task.sqlStatements = std::move(statements);
    return task;
}

Lines TableScript(const std::string& database)
{
    return {"CREATE DATABASE " + QuoteName(database) + ";", "USE " + QuoteName(database) + ";",
        "CREATE TABLE t (n INT AUTO_INCREMENT PRIMARY KEY, v VARCHAR(20));"};
}

TEST(ScriptRunTest, StatementsSucceedOrFailOnTheirOwnMerits)
{
    KELVANTO_REQUIRE_SERVER(server, 1);
    InitMySqlLibrary();
    RoundTripDatabase database("kv_script", {server});
    struct Row
    {
        const char* name;
        Lines statements;
        Lines log; // after the two connection lines
        std::string rows;
    };
    Lines withResults = TableScript(database.name());
    withResults.insert(withResults.end(),
        {"CREATE PROCEDURE two() BEGIN SELECT 1; SELECT v FROM t; END;", "SELECT 1;",
            "INSERT INTO t (v) VALUES ('select');", "CALL two();", "INSERT INTO t (v) VALUES ('call');",
            "SELECT seq, (SELECT 1 UNION SELECT seq - 3 FROM DUAL WHERE seq > 3) FROM seq_1_to_10;", "",
            "SELECT 1;SELECT 2;", "INSERT INTO t (v) VALUES ('last')"});
    // Each failure line ends with the server's error number and text.
    const std::string syntax = "  Error NO. 1064  You have an error in your SQL syntax; check the manual that "
                               "corresponds to your MariaDB server version for the right syntax to use near "
                               "'SELEC 2' at line 1";
    const Row rows[] = {
        {"rows are read away, a failure goes on", withResults,
            {"Executing MySQL script: 12 statements",
                "Failed to execute the SQL statement! NO. 9 : SELECT seq, (SELECT 1 UNION SELECT seq - 3 FROM DUAL "
                "WHERE seq > 3) FROM seq_1_to_10  Error NO. 1242  Subquery returns more than 1 row",
                "Executed: 10 statements", "Finished"},
            "select call last"},
        // A stored statement that holds two (as a DELIMITER block gives it) runs both, as the
        // stock client runs such a text.
        {"one statement that holds two", {"SELECT 1;SELECT 2;"},
            {"Executing MySQL script: 1 statements", "Executed: 1 statements", "Finished"}, "<none>"},
        {"one statement that fails", {"SELECT 1;SELEC 2;"},
            {"Executing MySQL script: 1 statements",
                "Failed to execute the SQL statement! NO. 1 : SELECT 1;SELEC 2" + syntax, "Executed: 0 statements",
                "Finished"},
            "<none>"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(database.DropOn(server));
        FakeRunContext context(ScriptTask(server, row.statements));
        EXPECT_EQ(RunExecuteScript(context, MakeMariaDbConnector()), RunOutcome::Finished);
        const Lines log = context.LogTexts();
        ASSERT_GE(log.size(), 2u);
        EXPECT_EQ(log[0], "Connecting to the source MySQL server (" + server.host + ")... ");
        EXPECT_EQ(log[1].rfind("Successfully connected to the MySQL server!  MySQL version: 1", 0), 0u);
        EXPECT_EQ(Lines(log.begin() + 2, log.end()), row.log);
        EXPECT_EQ(InsertedValues(server, database.name()), row.rows);
        EXPECT_TRUE(context.Registered().empty());
        // "statement N of M" before each statement that is sent (the empty one is not).
        std::vector<std::uint64_t> sent;
        for (std::size_t i = 0; i < row.statements.size(); ++i) {
            if (!row.statements[i].empty())
                sent.push_back(i);
        }
        std::vector<std::uint64_t> reported;
        for (const RunProgress& report : context.ProgressReports()) {
            EXPECT_EQ(report.counting, RunProgress::Counting::Statements);
            EXPECT_EQ(report.statementsTotal, row.statements.size());
            reported.push_back(report.statementsDone);
        }
        EXPECT_EQ(reported, sent);
    }
}

TEST(ScriptRunTest, RunsThatEndBeforeTheStatementsLogTheirError)
{
    KELVANTO_REQUIRE_SERVER(server, 1);
    InitMySqlLibrary();
    FakeRunContext empty(ScriptTask(server, {}));
    EXPECT_EQ(RunExecuteScript(empty, MakeMariaDbConnector()), RunOutcome::Failed);
    EXPECT_EQ(empty.LogText(), "There are not any SQL statements in the queue!\n");

    Task refused = ScriptTask(server, {"SELECT 1;"});
    refused.source.port = 1; // nothing listens there
    FakeRunContext context(refused);
    EXPECT_EQ(RunExecuteScript(context, MakeMariaDbConnector()), RunOutcome::Failed);
    const std::vector<LogLine> log = context.LogLines();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[1].level, LogLevel::Error);
    EXPECT_EQ(log[1].text.rfind("Failed to connect to the MySQL server!  Error NO. 200", 0), 0u) << log[1].text;
}

TEST(ScriptRunTest, CancellationAtEveryCheckEndsTheRun)
{
    KELVANTO_REQUIRE_SERVER(server, 1);
    InitMySqlLibrary();
    RoundTripDatabase database("kv_script_stop", {server});
    Lines statements = TableScript(database.name());
    statements.insert(statements.end(), {"INSERT INTO t (v) VALUES ('a');", "INSERT INTO t (v) VALUES ('b');"});
    const Task task = ScriptTask(server, statements);

    FakeRunContext whole(task);
    ASSERT_EQ(RunExecuteScript(whole, MakeMariaDbConnector()), RunOutcome::Finished);
    const std::size_t checks = whole.QuitChecks();
    EXPECT_EQ(checks, 13u); // 3 before the statements, one before and one after each
    for (std::size_t quitAt = 0; quitAt < checks; ++quitAt) {
        SCOPED_TRACE(quitAt);
        ASSERT_TRUE(database.DropOn(server));
        FakeRunContext context(task);
        context.QuitAfterChecks(quitAt);
        EXPECT_EQ(RunExecuteScript(context, MakeMariaDbConnector()), RunOutcome::Cancelled);
        EXPECT_TRUE(context.Registered().empty());
        const Lines log = context.LogTexts();
        EXPECT_EQ(std::count_if(log.begin(), log.end(),
                      [](const std::string& line) { return line == "Finished" || line.rfind("Executed:", 0) == 0; }),
            0);
        const std::string rows = InsertedValues(server, database.name());
        EXPECT_TRUE(rows == "<none>" || std::string("a b").rfind(rows, 0) == 0) << rows;
    }
}

} // namespace
} // namespace kelvanto::test
