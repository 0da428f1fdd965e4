// The restore engine against the stock mariadb client: each file of a corpus is restored on a
// clean slate through `mariadb < file` and through the restore engine into the second test
// server, and the states they leave are compared table by table, row by row, with triggers,
// views, routines and events. A file the client accepts must leave the same state and let the
// engine succeed; a file it refuses must not end "succeeded" in the engine. The corpus: the
// faults once found in the engine's old line rules, mariadb-dump files of the test databases
// (its default options, and --skip-extended-insert --routines --triggers --events), the
// program's own dumps in every layout, and generated files (a fixed seed and count here;
// KELVANTO_DIFF_SEED and KELVANTO_DIFF_COUNT for longer runs).
//
// Only the databases named with this run's prefix are dropped and compared, so that tests
// running beside this one keep theirs.
#include "tests/support/HardValues.h"
#include "tests/support/RoundTrip.h"
#include "tests/support/RoundTripDatabase.h"
#include "tests/support/RoundTripEngine.h"
#include "tests/support/RoundTripRestore.h"
#include "tests/support/ServerState.h"
#include "tests/support/SqlScriptGenerator.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestServer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

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

std::string WriteFile(const std::filesystem::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
    return path.string();
}

// Restores files on a clean slate through the client and through the engine and compares.
class Differential
{
public:
    explicit Differential(const TestServerAddress& target)
        : m_target(target)
        , m_prefix("kvdiff" + std::to_string(::getpid()) + "_")
    { }
    ~Differential() { DropDatabasesWithPrefix(m_target, m_prefix); }

    const std::string& prefix() const { return m_prefix; }

    // Both restores of `files`, compared; the client gets `clientArguments`, the engine's
    // connections come from `connector`.
    void Compare(const std::string& name, const std::vector<std::string>& files,
        const std::string& clientArguments = {}, const Connector& connector = {})
    {
        SCOPED_TRACE(name);
        ASSERT_TRUE(DropDatabasesWithPrefix(m_target, m_prefix));
        bool clientAccepted = true;
        std::string clientOutput;
        for (const std::string& file : files) {
            std::string output;
            clientAccepted = RunMariadbClientOnFile(m_target, file, &output, clientArguments) == 0;
            clientOutput += output;
            if (!clientAccepted)
                break;
        }
        const ServerState afterClient = TakeServerState(m_target, m_prefix);

        ASSERT_TRUE(DropDatabasesWithPrefix(m_target, m_prefix));
        const Task task = MakeRestoreTask(m_target, files);
        const EngineDump restore = connector ? RunRestoreEngine(task, connector) : RunRestoreEngine(task);
        const bool engineSucceeded = restore.outcome == RunOutcome::Finished && restore.errors().empty();
        const ServerState afterEngine = TakeServerState(m_target, m_prefix);
        ++m_compared;
        if (!clientAccepted) {
            ++m_refused;
            EXPECT_FALSE(engineSucceeded) << "the client refused the file:\n"
                                          << clientOutput << "\nthe engine:\n"
                                          << restore.logText();
            return;
        }
        EXPECT_TRUE(engineSucceeded) << "the client accepted the file:\n"
                                     << clientOutput << "\nthe engine:\n"
                                     << restore.logText();
        EXPECT_EQ(Join(CompareServerStates(afterClient, afterEngine)), "");
    }

    int compared() const { return m_compared; }
    int refused() const { return m_refused; }

private:
    TestServerAddress m_target;
    std::string m_prefix;
    int m_compared = 0;
    int m_refused = 0;
};

std::string MariadbDump(const TestServerAddress& source, const std::string& database, const std::string& options,
    const std::filesystem::path& file)
{
    const std::string command = "mariadb-dump --no-defaults -h" + ShellQuote(source.host) + " -P"
        + std::to_string(source.port) + " -u" + ShellQuote(source.user)
        + (source.password.empty() ? std::string() : " -p" + ShellQuote(source.password)) + " " + options
        + " --databases " + ShellQuote(database) + " > " + ShellQuote(file.string()) + " 2>&1";
    return std::system(command.c_str()) == 0 ? file.string() : std::string();
}

// The faults of the old line rules, each after a database sp with a table t (id, v). Each made
// the engine restore something else than the client, in silence or with an error.
TEST(ClientDifferential, TheFaultsOfTheOldLineRules)
{
    KELVANTO_REQUIRE_SERVER(target, 2);
    Differential differential(target);
    TempDir dir;
    const std::string sp = differential.prefix() + "sp";
    const std::string head = "CREATE DATABASE " + sp + ";\nUSE " + sp + ";\nCREATE TABLE t (id INT, v TEXT);\n";
    const std::vector<std::pair<const char*, std::string>> files = {
        {"a /* inside quotes", head + "(SELECT '/*');\nINSERT INTO t VALUES (1,'lost');\n"},
        {"a statement right after a comment", head + "/**/INSERT INTO t VALUES (1,'lost');\n"},
        {"a statement on the line that closes a comment", head + "/* a\nb */ INSERT INTO t VALUES (2,'x');\n"},
        {"a literal across lines", head + "INSERT INTO t VALUES (1,'abc'\n'def');\n"},
        {"a number across lines", head + "INSERT INTO t VALUES (12\n34,'a');\n"},
        {"a -- at a line end", head + "INSERT INTO t VALUES (5--\n1,'a');\n"},
        {"executable comments", head + "/*!40101 SET @v = 'kept' */;\n/*M!100100 INSERT INTO t VALUES (3, @v) */;\n"},
        {"a UTF-8 BOM",
            "\xef\xbb\xbf"
            "CREATE DATABASE "
                + sp + ";\nCREATE TABLE " + sp + ".t (id INT, v TEXT);\nINSERT INTO " + sp + ".t VALUES (1,'bom');\n"},
        {"NO_BACKSLASH_ESCAPES",
            head
                + "SET sql_mode='NO_BACKSLASH_ESCAPES';\nINSERT INTO t VALUES (1,'a\\');\n"
                  "SET sql_mode=DEFAULT;\nINSERT INTO t VALUES (2,'b\\'c');\n"},
        {"two statements on one line", head + "INSERT INTO t VALUES (1,'a');INSERT INTO t VALUES (2,'b');\n"},
        {"a blank after the delimiter", head + "INSERT INTO t VALUES (1,'a'); \nINSERT INTO t VALUES (2,'b');\n"},
        {"a comment after the delimiter",
            head + "INSERT INTO t VALUES (1,'a'); /* c */\nINSERT INTO t VALUES (2,'b');\n"},
        {"a custom delimiter mid-line",
            head
                + "DELIMITER //\nINSERT INTO t VALUES (1,'a')// INSERT INTO t VALUES (2,'b')//\n"
                  "DELIMITER ;\nINSERT INTO t VALUES (3,'c');\n"},
        {"a quoted value in a CRLF file",
            head + "INSERT INTO t VALUES (1,'a\r\nb');\r\nINSERT INTO t VALUES (2,'c');\r\n"},
    };
    for (std::size_t i = 0; i < files.size(); ++i)
        differential.Compare(
            files[i].first, {WriteFile(dir.path() / ("fault" + std::to_string(i) + ".sql"), files[i].second)});
    EXPECT_EQ(differential.compared(), static_cast<int>(files.size()));
}

// A mariadb-dump file with a TIMESTAMP column, a trigger and a view, restored into sessions
// whose time zone is +05:00: the dump's executable comments set the zone, the SQL mode and the
// checks for the engine as for the client. (The zone is the sessions' own, set by the client's
// --init-command and the engine's connector, rather than the server's global one, which the
// tests running beside this one would see.)
TEST(ClientDifferential, ADumpRestoredIntoAnotherTimeZone)
{
    KELVANTO_REQUIRE_SERVER(source, 1);
    KELVANTO_REQUIRE_SERVER(target, 2);
    Differential differential(target);
    RoundTripDatabase database(differential.prefix() + "tz", {source});
    const std::string name = QuoteName(database.name());
    std::string output;
    ASSERT_EQ(RunMariadbClient(source,
                  "CREATE DATABASE " + name + ";\nUSE " + name
                      + ";\nSET time_zone = '+00:00';\n"
                        "CREATE TABLE e (id INT PRIMARY KEY, at TIMESTAMP NULL, note TEXT);\n"
                        "CREATE TABLE log (id INT, at TIMESTAMP NULL);\n"
                        "INSERT INTO e VALUES (1, '2024-06-01 12:00:00', 'noon');\n"
                        "CREATE TRIGGER e_log AFTER INSERT ON e FOR EACH ROW INSERT INTO log VALUES (NEW.id, NEW.at);\n"
                        "CREATE VIEW noon AS SELECT id, at FROM e WHERE note = 'noon';\n",
                  &output),
        0)
        << output;
    TempDir dir;
    const std::string dump = MariadbDump(source, database.name(), "", dir.path() / "tz.sql");
    ASSERT_FALSE(dump.empty());
    differential.Compare(
        "time zone +05:00", {dump}, "--init-command=\"SET time_zone='+05:00'\"", ShiftedZoneConnector("+05:00"));
    // The engine's state is the client's: the noon row, one trigger, one view.
    const ServerState state = TakeServerState(target, differential.prefix());
    EXPECT_EQ(state.entries.count("trigger " + database.name() + " e_log"), 1u);
    EXPECT_EQ(state.entries.count("view " + database.name() + " noon"), 1u);
    ASSERT_EQ(state.rows.count(database.name() + ".e"), 1u);
    EXPECT_NE(state.rows.at(database.name() + ".e").front().find("323032342D30362D30312031323A30303A3030"),
        std::string::npos);
}

// mariadb-dump files of Sakila and of the hard values, with the default options and with one
// row per INSERT, routines, triggers and events.
TEST(ClientDifferential, MariadbDumpFiles)
{
    KELVANTO_REQUIRE_SERVER(source, 1);
    KELVANTO_REQUIRE_SERVER(target, 2);
    Differential differential(target);
    RoundTripDatabase sakila(differential.prefix() + "sakila", {source});
    RoundTripDatabase hard(differential.prefix() + "hard", {source});
    ASSERT_EQ(LoadSakila(source, sakila.name()), "");
    std::string output;
    ASSERT_EQ(RunMariadbClient(source, HardValuesScript(hard.name()), &output), 0) << output;
    TempDir dir;
    for (const std::string& database : {sakila.name(), hard.name()}) {
        int variant = 0;
        for (const std::string options : {"", "--skip-extended-insert --routines --triggers --events"}) {
            const std::string dump
                = MariadbDump(source, database, options, dir.path() / (database + std::to_string(variant++) + ".sql"));
            ASSERT_FALSE(dump.empty()) << database << " " << options;
            differential.Compare(database + " " + options, {dump});
        }
    }
    EXPECT_EQ(differential.refused(), 0);
}

// The program's own dumps in its three layouts: one file, a file per database, a file per
// table (restored in the order the run wrote them).
TEST(ClientDifferential, TheProgramsOwnDumps)
{
    KELVANTO_REQUIRE_SERVER(source, 1);
    KELVANTO_REQUIRE_SERVER(target, 2);
    Differential differential(target);
    RoundTripDatabase sakila(differential.prefix() + "own", {source});
    ASSERT_EQ(LoadSakila(source, sakila.name()), "");
    TempDir dir;
    for (int split : {1, 2, 3}) {
        const Task task = MakeDumpTask(source, sakila.name(), ListObjectsForTask(source, sakila.name()),
            dir.path() / ("split" + std::to_string(split)), split, true);
        const EngineDump dump = RunDumpEngine(task, dir.path() / "data");
        ASSERT_EQ(dump.outcome, RunOutcome::Finished) << dump.logText();
        differential.Compare("layout " + std::to_string(split), dump.files);
    }
    EXPECT_EQ(differential.refused(), 0);
}

// Generated files: a fixed seed and count, or those of the environment.
TEST(ClientDifferential, GeneratedFiles)
{
    KELVANTO_REQUIRE_SERVER(target, 2);
    Differential differential(target);
    const std::string seedText = Env("KELVANTO_DIFF_SEED");
    const std::string countText = Env("KELVANTO_DIFF_COUNT");
    const std::uint64_t seed = seedText.empty() ? 20250611 : std::stoull(seedText);
    const int count = countText.empty() ? 120 : std::stoi(countText);
    std::mt19937_64 random(seed);
    TempDir dir;
    for (int i = 0; i < count; ++i) {
        const std::string script = GenerateSqlScript(random, differential.prefix() + "gen");
        const std::string file = WriteFile(dir.path() / "generated.sql", script);
        differential.Compare("seed " + std::to_string(seed) + " file " + std::to_string(i) + ":\n" + script, {file});
        if (HasFailure())
            break;
    }
    // Most generated files are accepted, so that states are compared, not only refusals.
    RecordProperty("compared", differential.compared());
    RecordProperty("refusedByTheClient", differential.refused());
    EXPECT_LT(differential.refused() * 2, differential.compared());
}

} // namespace
} // namespace kelvanto::test
