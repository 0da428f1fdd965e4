// Sakila through the backup-to-files engine and back: dumped from server 1 in every file
// layout, with single-row and ten-row INSERTs, as SQL and as a PHP page; restored into
// server 2 with the mariadb client (or php); every table must match by columns, row count
// and CHECKSUM TABLE, and every view by its result.
#include "mysql/OpenConnection.h"
#include "tests/support/PerPieceFileSink.h"
#include "tests/support/RoundTrip.h"
#include "tests/support/RoundTripDatabase.h"
#include "tests/support/RoundTripEngine.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestServer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <memory>
#include <ostream>
#include <string>

namespace kelvanto::test
{
namespace
{

std::string ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string Join(const std::vector<std::string>& lines)
{
    std::string text;
    for (const auto& line : lines)
        text += line + "\n";
    return text;
}

// Sakila is loaded once per test binary into a database of its own on server 1; the
// engine's dumps create and use that same name, so they restore into server 2 unchanged.
class SakilaRoundTrip : public ::testing::Test
{
protected:
    static void TearDownTestSuite()
    {
        s_database.reset();
        s_fingerprint.reset();
    }

    // Loads Sakila on first use; false (with a test failure) when that is impossible.
    bool EnsureSakila(const TestServerAddress& source, const TestServerAddress& target)
    {
        if (!s_database) {
            s_database = std::make_unique<RoundTripDatabase>("kv_sakila", std::vector {source, target});
            s_loadError = LoadSakila(source, s_database->name());
            s_fingerprint = std::make_unique<DatabaseFingerprint>(TakeFingerprint(source, s_database->name()));
        }
        EXPECT_EQ(s_loadError, "");
        EXPECT_EQ(s_fingerprint->error, "");
        EXPECT_EQ(s_fingerprint->tableCount(), 16u);
        EXPECT_EQ(s_fingerprint->viewCount(), 7u);
        return s_loadError.empty() && s_fingerprint->error.empty() && s_fingerprint->tableCount() == 16;
    }

    static const std::string& Name() { return s_database->name(); }
    static const DatabaseFingerprint& Original() { return *s_fingerprint; }
    static bool DropOn(const TestServerAddress& server) { return s_database->DropOn(server); }

private:
    static inline std::unique_ptr<RoundTripDatabase> s_database;
    static inline std::unique_ptr<DatabaseFingerprint> s_fingerprint;
    static inline std::string s_loadError;
};

struct LayoutRow
{
    const char* name;
    int fileSplit;
    bool multiRowInsert;
    std::size_t expectedFiles; // one database of 16 tables and 7 views
};

void PrintTo(const LayoutRow& row, std::ostream* os)
{
    *os << row.name;
}

class SakilaLayoutRoundTrip : public SakilaRoundTrip, public ::testing::WithParamInterface<LayoutRow>
{ };

TEST_P(SakilaLayoutRoundTrip, RestoresIdentical)
{
    KELVANTO_REQUIRE_SERVER(source, 1);
    KELVANTO_REQUIRE_SERVER(target, 2);
    ASSERT_TRUE(EnsureSakila(source, target));
    const LayoutRow& row = GetParam();

    TempDir dir;
    const Task task = MakeDumpTask(
        source, Name(), ListObjectsForTask(source, Name()), dir.path() / "dumps", row.fileSplit, row.multiRowInsert);
    const EngineDump dump = RunDumpEngine(task, dir.path() / "data");
    ASSERT_EQ(dump.outcome, RunOutcome::Finished) << dump.logText();
    EXPECT_EQ(dump.errors(), "");
    ASSERT_EQ(dump.files.size(), row.expectedFiles);

    ASSERT_TRUE(DropOn(target));
    for (const auto& file : dump.files) {
        std::string output;
        ASSERT_EQ(RunMariadbClientOnFile(target, file, &output), 0) << file << ":\n" << output;
    }
    EXPECT_EQ(Join(CompareFingerprints(Original(), TakeFingerprint(target, Name()))), "");
}

// The engine's sink leaves exactly the bytes of a writer that opens, appends and closes the
// file for every piece.
TEST_P(SakilaLayoutRoundTrip, SameBytesAsAWriterPerPiece)
{
    KELVANTO_REQUIRE_SERVER(source, 1);
    KELVANTO_REQUIRE_SERVER(target, 2);
    ASSERT_TRUE(EnsureSakila(source, target));
    const LayoutRow& row = GetParam();

    TempDir dir;
    const auto dumpInto = [&](const std::string& folder, FileSink& sink) {
        const Task task = MakeDumpTask(
            source, Name(), ListObjectsForTask(source, Name()), dir.path() / folder, row.fileSplit, row.multiRowInsert);
        return RunDumpEngine(task, dir.path() / "data", MakeMariaDbConnector(), sink);
    };
    PerPieceFileSink perPiece;
    const EngineDump expected = dumpInto("per-piece", perPiece);
    FileSink files;
    const EngineDump actual = dumpInto("sink", files);
    ASSERT_EQ(actual.outcome, RunOutcome::Finished) << actual.logText();
    EXPECT_EQ(actual.logText(), expected.logText());
    ASSERT_EQ(actual.files.size(), row.expectedFiles);
    ASSERT_EQ(actual.files.size(), expected.files.size());
    // The engine's sink digests each file as it writes it; a writer per piece reopens every
    // file, so its manifest reads them back. Both manifests hold the files as they are.
    EXPECT_EQ(ManifestDigestMismatches(actual.run), "");
    EXPECT_EQ(ManifestDigestMismatches(expected.run), "");
    for (std::size_t i = 0; i < actual.files.size(); ++i) {
        SCOPED_TRACE(actual.files[i]);
        EXPECT_NE(files.WrittenDigest(actual.files[i]), nullptr);
        EXPECT_EQ(perPiece.WrittenDigest(expected.files[i]), nullptr);
        EXPECT_EQ(
            std::filesystem::path(actual.files[i]).filename(), std::filesystem::path(expected.files[i]).filename());
        const std::string bytes = ReadBytes(actual.files[i]);
        EXPECT_GT(bytes.size(), 500u);
        EXPECT_TRUE(bytes == ReadBytes(expected.files[i]));
    }
}

INSTANTIATE_TEST_SUITE_P(Layouts, SakilaLayoutRoundTrip,
    ::testing::Values(LayoutRow {"OneFileSingleRow", 1, false, 1}, LayoutRow {"OneFileMultiRow", 1, true, 1},
        LayoutRow {"FilePerDatabaseSingleRow", 2, false, 1}, LayoutRow {"FilePerDatabaseMultiRow", 2, true, 1},
        LayoutRow {"FilePerTableSingleRow", 3, false, 23}, LayoutRow {"FilePerTableMultiRow", 3, true, 23}),
    [](const auto& row) { return std::string(row.param.name); });

TEST_F(SakilaRoundTrip, PhpPageRestoresIdentical)
{
    KELVANTO_REQUIRE_SERVER(source, 1);
    KELVANTO_REQUIRE_SERVER(target, 2);
    ASSERT_TRUE(EnsureSakila(source, target));

    TempDir dir;
    const Task task = MakeDumpTask(source, Name(), ListObjectsForTask(source, Name()), dir.path() / "dumps", 1,
        /*multiRowInsert=*/true, /*fileType=*/2);
    const EngineDump dump = RunDumpEngine(task, dir.path() / "data");
    ASSERT_EQ(dump.outcome, RunOutcome::Finished) << dump.logText();
    EXPECT_EQ(dump.errors(), "");
    ASSERT_EQ(dump.files.size(), 1u);
    EXPECT_EQ(std::filesystem::path(dump.files[0]).extension(), ".php");

    ASSERT_TRUE(DropOn(target));
    std::string output;
    ASSERT_EQ(RunPhpDump(dump.files[0], target, &output), 0) << output;
    // die() ends the page with exit code 0, so the page's own words tell how it went: the
    // empty line between the header block and the code, then the footer's word.
    EXPECT_EQ(output, "\r\nFinished");
    EXPECT_EQ(Join(CompareFingerprints(Original(), TakeFingerprint(target, Name()))), "");
}

// With the extras on, Sakila's 3 functions, 3 procedures and 6 triggers come back too, each
// with the definition the source shows, and the tables still match (the triggers that keep
// film_text and the update times did not fire on the restored rows).
TEST_F(SakilaRoundTrip, ProgramsComeBackWithTheExtras)
{
    KELVANTO_REQUIRE_SERVER(source, 1);
    KELVANTO_REQUIRE_SERVER(target, 2);
    ASSERT_TRUE(EnsureSakila(source, target));

    TempDir dir;
    Task task = MakeDumpTask(source, Name(), ListObjectsForTask(source, Name()), dir.path() / "dumps", 2, true);
    task.extras.routines = task.extras.triggers = task.extras.events = true;
    task.extras.consistentSnapshot = true;
    const EngineDump dump = RunDumpEngine(task, dir.path() / "data");
    ASSERT_EQ(dump.outcome, RunOutcome::Finished) << dump.logText();
    EXPECT_EQ(dump.errors(), "");

    ASSERT_TRUE(DropOn(target));
    for (const auto& file : dump.files) {
        std::string output;
        ASSERT_EQ(RunMariadbClientOnFile(target, file, &output), 0) << file << ":\n" << output;
    }
    EXPECT_EQ(Join(CompareFingerprints(Original(), TakeFingerprint(target, Name()))), "");
    const std::string programs = "SELECT ROUTINE_TYPE, ROUTINE_NAME, MD5(ROUTINE_DEFINITION), SQL_MODE FROM "
                                 "information_schema.ROUTINES WHERE ROUTINE_SCHEMA = '"
        + Name()
        + "' ORDER BY 1, 2;\n"
          "SELECT TRIGGER_NAME, EVENT_OBJECT_TABLE, ACTION_TIMING, EVENT_MANIPULATION, MD5(ACTION_STATEMENT), SQL_MODE "
          "FROM information_schema.TRIGGERS WHERE TRIGGER_SCHEMA = '"
        + Name() + "' ORDER BY 1;\n";
    std::string expected;
    std::string actual;
    ASSERT_EQ(RunMariadbClient(source, programs, &expected), 0) << expected;
    ASSERT_EQ(RunMariadbClient(target, programs, &actual), 0) << actual;
    EXPECT_EQ(actual, expected);
    std::size_t functions = 0;
    std::size_t procedures = 0;
    for (std::size_t at = 0; (at = actual.find("FUNCTION\t", at)) != std::string::npos; ++at)
        ++functions;
    for (std::size_t at = 0; (at = actual.find("PROCEDURE\t", at)) != std::string::npos; ++at)
        ++procedures;
    EXPECT_EQ(functions, 3u);
    EXPECT_EQ(procedures, 3u);
    EXPECT_EQ(std::count(actual.begin(), actual.end(), '\n'), 6 + 6) << actual; // 6 routines, 6 triggers
}

} // namespace
} // namespace kelvanto::test
