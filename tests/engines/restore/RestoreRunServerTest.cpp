// The restore-from-files engine against a real server: what reaches the server, the log
// lines and how a run ends under each pair of restore options, for unreadable files and
// failing statements, and at every cancellation check.
#include "engines/restore/RestoreFileEntry.h"
#include "engines/restore/RestoreRun.h"
#include "mysql/MySqlLibrary.h"
#include "mysql/OpenConnection.h"
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

class RestoreRunTest : public ::testing::Test
{
protected:
    std::string Write(const std::string& name, const std::string& text)
    {
        const auto path = dir.path() / name;
        std::ofstream(path, std::ios::binary) << text;
        return path.string();
    }

    // The log lines after the connection lines.
    static std::vector<std::string> LogAfterConnecting(const EngineDump& run)
    {
        std::vector<std::string> lines;
        for (std::size_t i = 2; i < run.log.size(); ++i)
            lines.push_back(run.log[i].text);
        return lines;
    }

    TempDir dir;
};

TEST_F(RestoreRunTest, EachPairOfOptionsDecidesWhatReachesTheServer)
{
    KELVANTO_REQUIRE_SERVER(server, 2);
    InitMySqlLibrary();
    RoundTripDatabase database("kv_options", {server});
    const std::string setup = Write("setup.sql",
        "CREATE DATABASE " + QuoteName(database.name()) + ";\nUSE " + QuoteName(database.name())
            + ";\nCREATE TABLE t (n INT AUTO_INCREMENT PRIMARY KEY, v VARCHAR(20));\n");
    const std::string missing = (dir.path() / "missing.sql").string();
    const std::string bad = Write("bad.sql",
        "INSERT INTO t (v) VALUES ('bad1');\nSELECT * FROM t;\nINSERT INTO nowhere VALUES (1);\n"
        "INSERT INTO t (v) VALUES ('bad2');\n");
    const std::string unchecked = Write("unchecked.sql", "INSERT INTO t (v) VALUES ('unchecked');\n");
    // A SELECT whose rows are not wanted, and a last statement without its ';'.
    const std::string good = Write("good.sql", "SELECT v FROM t;\nINSERT INTO t (v) VALUES ('good')");
    // Each failure line says why: the system's reason for a file, the server's error.
    const std::string fileError = "Failed to get a SQL statement from the SQL file! - No such file or directory";
    const std::string sqlError = "Failed to execute the SQL statement: INSERT INTO nowhere VALUES (1)  Error NO. "
                                 "1146  Table '"
        + database.name() + ".nowhere' doesn't exist";

    struct Row
    {
        std::uint8_t continueOnSqlError;
        std::uint8_t continueOnFileError;
        std::string rows;
        std::vector<std::string> log;
    };
    const Row rows[] = {
        {0, 0, "", {"Restoring...  " + setup, "Restoring...  " + missing, fileError}},
        {1, 0, "", {"Restoring...  " + setup, "Restoring...  " + missing, fileError}},
        {0, 1, "bad1",
            {"Restoring...  " + setup, "Restoring...  " + missing, fileError, "Restoring...  " + bad, sqlError}},
        {1, 1, "bad1 bad2 good",
            {"Restoring...  " + setup, "Restoring...  " + missing, fileError, "Restoring...  " + bad, sqlError,
                "Restoring...  " + good, "Finished"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::to_string(row.continueOnSqlError) + std::to_string(row.continueOnFileError));
        ASSERT_TRUE(database.DropOn(server));
        Task task = MakeRestoreTask(
            server, {setup, missing, unchecked, bad, good}, {row.continueOnSqlError, row.continueOnFileError});
        task.restoreFiles[2].checkState = 2; // passed over without a line
        const EngineDump run = RunRestoreEngine(task);

        EXPECT_EQ(run.outcome, row.log.back() == "Finished" ? RunOutcome::Finished : RunOutcome::Failed);
        ASSERT_GE(run.log.size(), 3u);
        EXPECT_EQ(run.log[0].text, "Connecting to the destination MySQL server (" + server.host + ")... ");
        EXPECT_EQ(run.log[1].text.rfind("Successfully connected to the MySQL server!  MySQL version: 1", 0), 0u);
        std::vector<std::string> expected {"Restoring MySQL databases from SQL files: 5 files"};
        expected.insert(expected.end(), row.log.begin(), row.log.end());
        EXPECT_EQ(LogAfterConnecting(run), expected);
        EXPECT_EQ(InsertedValues(server, database.name()), row.rows);
    }
}

// A file that is cut shorter while it is read: what was read before is restored, then the
// file error, and the option decides whether the next file comes.
class TruncatingContext : public FakeRunContext
{
public:
    TruncatingContext(Task task, std::string path, std::uintmax_t size)
        : FakeRunContext(std::move(task))
        , m_path(std::move(path))
        , m_size(size)
    { }
    void Log(LogLevel level, std::string_view message) override
    {
        FakeRunContext::Log(level, message);
        m_armed = m_armed || message == "Restoring...  " + m_path;
    }
    // The first check after the file was opened (its length taken) cuts it.
    bool QuitRequested() override
    {
        if (m_armed && m_size > 0) {
            std::filesystem::resize_file(m_path, m_size);
            m_size = 0;
        }
        return FakeRunContext::QuitRequested();
    }

private:
    std::string m_path;
    std::uintmax_t m_size;
    bool m_armed = false;
};

TEST_F(RestoreRunTest, AReadErrorInTheMiddleOfAFileIsAFileError)
{
    KELVANTO_REQUIRE_SERVER(server, 2);
    InitMySqlLibrary();
    RoundTripDatabase database("kv_cut", {server});
    const std::string padding(100, '-');
    std::string text = "CREATE DATABASE " + QuoteName(database.name()) + ";\nUSE " + QuoteName(database.name())
        + ";\nCREATE TABLE t (n INT AUTO_INCREMENT PRIMARY KEY, v VARCHAR(20));\nINSERT INTO t (v) VALUES ('first');\n";
    while (text.size() < 400 * 1024)
        text += padding + "\n";
    text += "INSERT INTO t (v) VALUES ('cut off');\n";
    const std::string next = Write("next.sql", "INSERT INTO t (v) VALUES ('next');\n");

    for (std::uint8_t continueOnFileError : {0, 1}) {
        SCOPED_TRACE(int(continueOnFileError));
        ASSERT_TRUE(database.DropOn(server));
        const std::string cut = Write("cut.sql", text);
        TruncatingContext context(MakeRestoreTask(server, {cut, next}, {0, continueOnFileError}), cut, 300 * 1024);
        const RunOutcome outcome = RunRestoreFromFiles(context, MakeMariaDbConnector());
        std::vector<std::string> expected {"Restoring MySQL databases from SQL files: 2 files", "Restoring...  " + cut,
            "Failed to get a SQL statement from the SQL file! - the file is shorter than when it was opened"};
        if (continueOnFileError)
            expected.insert(expected.end(), {"Restoring...  " + next, "Finished"});
        const std::vector<std::string> log = context.LogTexts();
        EXPECT_EQ(std::vector<std::string>(log.begin() + 2, log.end()), expected);
        EXPECT_EQ(outcome, continueOnFileError ? RunOutcome::Finished : RunOutcome::Failed);
        EXPECT_EQ(InsertedValues(server, database.name()), continueOnFileError ? "first next" : "first");
    }
}

// The stock client's own commands act as they do there: "use" and "\\C" change the session, a
// command that the client only reports is logged as a Warning and skipped, and one that
// reaches outside the server is never run: it ends its file with a line that names it and its
// line, as a file error (the options decide whether the next file runs).
TEST_F(RestoreRunTest, TheClientsCommandsActAsInTheClient)
{
    KELVANTO_REQUIRE_SERVER(server, 2);
    InitMySqlLibrary();
    RoundTripDatabase database("kv_commands", {server});
    const std::string marker = (dir.path() / "run-by-the-shell").string();
    const std::string create = Write("create.sql",
        "CREATE DATABASE " + QuoteName(database.name()) + ";\nuse " + database.name()
            + "\nCREATE TABLE t (n INT AUTO_INCREMENT PRIMARY KEY, v VARCHAR(20));\nDELIMITER\n\\C latin1\n"
              "INSERT INTO t (v) VALUES (@@character_set_client);\n");
    const std::string shell = Write("shell.sql",
        "INSERT INTO t (v) VALUES ('before');\n\\! touch " + marker + "\nINSERT INTO t (v) VALUES ('after');\n");
    const std::string next = Write("next.sql", "INSERT INTO t (v) VALUES ('next');\n");
    for (std::uint8_t continueOnFileError : {0, 1}) {
        SCOPED_TRACE(int(continueOnFileError));
        ASSERT_TRUE(database.DropOn(server));
        const EngineDump run
            = RunRestoreEngine(MakeRestoreTask(server, {create, shell, next}, {0, continueOnFileError}));
        std::vector<std::string> expected {"Restoring MySQL databases from SQL files: 3 files",
            "Restoring...  " + create,
            "The SQL file's line 4: DELIMITER must be followed by a 'delimiter' character or string (skipped, as by "
            "the "
            "stock client)",
            "Restoring...  " + shell,
            "Failed to get a SQL statement from the SQL file! - line 2: the client command \\! (system) reaches "
            "outside "
            "the server (a program, a file or another connection) and is not run"};
        if (continueOnFileError)
            expected.insert(expected.end(), {"Restoring...  " + next, "Finished"});
        EXPECT_EQ(LogAfterConnecting(run), expected);
        EXPECT_EQ(run.outcome, continueOnFileError ? RunOutcome::Finished : RunOutcome::Failed);
        EXPECT_EQ(
            InsertedValues(server, database.name()), continueOnFileError ? "latin1 before next" : "latin1 before");
        EXPECT_FALSE(std::filesystem::exists(marker));
    }
}

// A file under its temporary name was never finished: it is refused as incomplete, as a
// file error, and none of its statements reaches the server.
TEST_F(RestoreRunTest, AFileUnderItsTemporaryNameIsRefusedAsIncomplete)
{
    KELVANTO_REQUIRE_SERVER(server, 2);
    InitMySqlLibrary();
    RoundTripDatabase database("kv_partial", {server});
    const std::string create = Write("create.sql",
        "CREATE DATABASE " + QuoteName(database.name()) + ";\nUSE " + QuoteName(database.name())
            + ";\nCREATE TABLE t (n INT AUTO_INCREMENT PRIMARY KEY, v VARCHAR(20));\n");
    const std::string partial = Write("dump.sql.Nightly_1.partial", "INSERT INTO t (v) VALUES ('half');\n");
    const std::string next = Write("next.sql", "INSERT INTO t (v) VALUES ('next');\n");
    for (std::uint8_t continueOnFileError : {0, 1}) {
        SCOPED_TRACE(int(continueOnFileError));
        ASSERT_TRUE(database.DropOn(server));
        const EngineDump run
            = RunRestoreEngine(MakeRestoreTask(server, {create, partial, next}, {0, continueOnFileError}));
        std::vector<std::string> expected {"Restoring MySQL databases from SQL files: 3 files",
            "Restoring...  " + create, "Restoring...  " + partial, IncompleteFileMessage(partial)};
        if (continueOnFileError)
            expected.insert(expected.end(), {"Restoring...  " + next, "Finished"});
        EXPECT_EQ(LogAfterConnecting(run), expected);
        EXPECT_EQ(run.outcome, continueOnFileError ? RunOutcome::Finished : RunOutcome::Failed);
        EXPECT_EQ(InsertedValues(server, database.name()), continueOnFileError ? "next" : "");
    }
}

TEST_F(RestoreRunTest, RunsThatEndBeforeTheFilesLogTheirError)
{
    KELVANTO_REQUIRE_SERVER(server, 2);
    InitMySqlLibrary();
    const EngineDump empty = RunRestoreEngine(MakeRestoreTask(server, {}));
    EXPECT_EQ(empty.outcome, RunOutcome::Failed);
    EXPECT_EQ(empty.logText(), "There are not any files in the restore queue!\n");

    Task refused = MakeRestoreTask(server, {Write("a.sql", "SELECT 1;\n")});
    refused.destination.port = 1; // nothing listens there
    const EngineDump run = RunRestoreEngine(refused);
    EXPECT_EQ(run.outcome, RunOutcome::Failed);
    ASSERT_EQ(run.log.size(), 2u);
    EXPECT_EQ(run.log[1].level, LogLevel::Error);
    EXPECT_EQ(run.log[1].text.rfind("Failed to connect to the MySQL server!  Error NO. 200", 0), 0u) << run.logText();
}

// Each file reports its name, the statements sent from it (a failed one too) and how much
// of it the statements took, ending at its whole length.
TEST_F(RestoreRunTest, EachFileReportsItsStatementsAndTheShareOfItsBytes)
{
    KELVANTO_REQUIRE_SERVER(server, 2);
    InitMySqlLibrary();
    RoundTripDatabase database("kv_progress", {server});
    const std::string firstText = "CREATE DATABASE " + QuoteName(database.name()) + ";\n-- a comment\nUSE "
        + QuoteName(database.name()) + ";\r\nCREATE TABLE t (n INT AUTO_INCREMENT PRIMARY KEY,\n v VARCHAR(20));\n";
    const std::string secondText = "INSERT INTO nowhere VALUES (1);\nINSERT INTO t (v) VALUES ('b')";
    const std::string first = Write("first.sql", firstText);
    const std::string second = Write("second.sql", secondText);
    const EngineDump run = RunRestoreEngine(MakeRestoreTask(server, {first, second}, {1, 0}));
    ASSERT_EQ(run.outcome, RunOutcome::Finished) << run.logText();

    // Where each statement's line ends (with its line end), the last one at the file's end.
    const auto after = [](const std::string& text, const std::string& end) { return text.find(end) + end.size(); };
    struct Expected
    {
        std::string file;
        std::uint64_t statements;
        std::uint64_t bytes;
        std::uint64_t length;
    };
    const Expected expected[] = {
        {"first.sql", 0, 0, firstText.size()},
        {"first.sql", 1, after(firstText, ";\n"), firstText.size()},
        {"first.sql", 2, after(firstText, ";\r\n"), firstText.size()}, // CR LF is one line end
        {"first.sql", 3, firstText.size(), firstText.size()},
        {"second.sql", 0, 0, secondText.size()},
        {"second.sql", 1, after(secondText, ";\n"), secondText.size()},
        {"second.sql", 2, secondText.size(), secondText.size()},
    };
    ASSERT_EQ(run.progress.size(), std::size(expected));
    for (std::size_t i = 0; i < run.progress.size(); ++i) {
        SCOPED_TRACE(i);
        const RunProgress& report = run.progress[i];
        EXPECT_EQ(report.counting, RunProgress::Counting::Statements);
        EXPECT_EQ(report.object, expected[i].file);
        EXPECT_EQ(report.statementsDone, expected[i].statements);
        EXPECT_EQ(report.statementsTotal, 0u);
        EXPECT_EQ(report.bytesDone, expected[i].bytes);
        EXPECT_EQ(report.bytesTotal, expected[i].length);
    }
    EXPECT_EQ(run.progress[3].Percent(), 100);
    EXPECT_EQ(InsertedValues(server, database.name()), "b");
}

// A stop honoured at any check ends the run as cancelled with the connection closed, and
// what reached the server is a beginning of the whole restore.
TEST_F(RestoreRunTest, CancellationAtEveryCheckEndsTheRun)
{
    KELVANTO_REQUIRE_SERVER(server, 2);
    InitMySqlLibrary();
    RoundTripDatabase database("kv_cancel", {server});
    const std::string first = Write("first.sql",
        "CREATE DATABASE " + QuoteName(database.name()) + ";\nUSE " + QuoteName(database.name())
            + ";\nCREATE TABLE t (n INT AUTO_INCREMENT PRIMARY KEY, v VARCHAR(20));\nINSERT INTO t (v) VALUES "
              "('a');\n");
    const std::string second
        = Write("second.sql", "INSERT INTO t (v) VALUES ('b');\nINSERT INTO t (v) VALUES ('c');\n");
    const Task task = MakeRestoreTask(server, {first, second});

    FakeRunContext whole(task);
    ASSERT_EQ(RunRestoreFromFiles(whole, MakeMariaDbConnector()), RunOutcome::Finished);
    const std::size_t checks = whole.QuitChecks();
    // 4 before the files; for each file one before it, one after its open and one after it;
    // one after each statement.
    EXPECT_EQ(checks, 16u);
    for (std::size_t quitAt = 0; quitAt < checks; ++quitAt) {
        SCOPED_TRACE(quitAt);
        ASSERT_TRUE(database.DropOn(server));
        FakeRunContext context(task);
        context.QuitAfterChecks(quitAt);
        EXPECT_EQ(RunRestoreFromFiles(context, MakeMariaDbConnector()), RunOutcome::Cancelled);
        EXPECT_TRUE(context.Registered().empty());
        const std::vector<std::string> log = context.LogTexts();
        EXPECT_EQ(std::count(log.begin(), log.end(), "Finished"), 0);
        EXPECT_EQ(context.LogText().find("Failed"), std::string::npos);
        const std::string rows = InsertedValues(server, database.name());
        EXPECT_TRUE(rows == "<none>" || std::string("a b c").rfind(rows, 0) == 0) << rows;
    }
}

} // namespace
} // namespace kelvanto::test
