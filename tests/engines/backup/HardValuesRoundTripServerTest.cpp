// Hard values through the backup-to-files engine and back: every column type the server
// has, edge values of each, every byte, utf8mb4, quotes, backslashes, NUL, line breaks,
// NULL against the text 'NULL', and names with blanks, reserved words and backquotes; an
// INVISIBLE column beside VIRTUAL and STORED generated ones, a database whose collation is
// not its character set's default, and rows of 1 MiB restored into a server that takes
// statements of 4 MiB at most. The source session runs at +05:30 and the restoring one at
// -08:00: TIMESTAMP values must keep their instant.
#include "tests/support/HardValues.h"
#include "tests/support/RoundTrip.h"
#include "tests/support/RoundTripDatabase.h"
#include "tests/support/RoundTripEngine.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestServer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <ostream>
#include <string>

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

struct VariantRow
{
    const char* name;
    int fileType;
    bool multiRowInsert;
    bool completeInsert;
    std::int64_t maxInsertBytes;
};

void PrintTo(const VariantRow& row, std::ostream* os)
{
    *os << row.name;
}

class HardValuesRoundTrip : public ::testing::TestWithParam<VariantRow>
{ };

TEST_P(HardValuesRoundTrip, EveryValueSurvives)
{
    KELVANTO_REQUIRE_SERVER(source, 1);
    KELVANTO_REQUIRE_SERVER(target, 2);
    const VariantRow& row = GetParam();
    RoundTripDatabase database("kv hard`values", {source, target});
    std::string output;
    ASSERT_EQ(RunMariadbClient(source, HardValuesScript(database.name()), &output), 0) << output;
    const auto original = TakeFingerprint(source, database.name());
    ASSERT_EQ(original.error, "");
    ASSERT_EQ(original.tableCount(), 5u);
    ASSERT_EQ(original.viewCount(), 2u);

    TempDir dir;
    Task task = MakeDumpTask(source, database.name(), ListObjectsForTask(source, database.name()), dir.path() / "dumps",
        1, row.multiRowInsert, row.fileType);
    task.backupSettings.completeInsert = row.completeInsert ? 1 : 0;
    task.extras.maxInsertBytes = row.maxInsertBytes;
    const EngineDump dump = RunDumpEngine(task, dir.path() / "data", ShiftedZoneConnector());
    ASSERT_EQ(dump.outcome, RunOutcome::Finished) << dump.logText();
    EXPECT_EQ(dump.errors(), "");
    ASSERT_EQ(dump.files.size(), 1u);
    EXPECT_EQ(ManifestDigestMismatches(dump.run), "");

    if (row.maxInsertBytes > 0) {
        // No statement is longer than the size asked for; three rows of 1 MiB share one.
        std::ifstream in(dump.files[0], std::ios::binary);
        std::size_t longest = 0;
        for (std::string line; std::getline(in, line);) {
            if (line.rfind("INSERT", 0) == 0)
                longest = std::max(longest, line.size() - 1); // without the "\r" of the line end
        }
        EXPECT_GT(longest, 3u * 1024 * 1024);
        EXPECT_LE(longest, static_cast<std::size_t>(row.maxInsertBytes));
    }

    if (row.fileType == 2) {
        ASSERT_EQ(RunPhpDump(dump.files[0], target, &output), 0) << output;
        EXPECT_EQ(output, "\r\nFinished");
    } else {
        // The restoring session starts at -08:00; the dump must set its own zone.
        ASSERT_EQ(
            RunMariadbClientOnFile(target, dump.files[0], &output, "--init-command=\"SET time_zone='-08:00'\""), 0)
            << output;
    }

    const auto differences = CompareFingerprints(original, TakeFingerprint(target, database.name()));
    EXPECT_EQ(Join(differences), "");
    for (const auto& [table, orderBy] : {std::pair {"types", "id"}, {"select", "`from`"}, {"gen", "id"}}) {
        SCOPED_TRACE(table);
        EXPECT_EQ(Join(DifferingValues(source, target, database.name(), table, orderBy)), "");
    }
    const std::string collation = "SELECT DEFAULT_CHARACTER_SET_NAME, DEFAULT_COLLATION_NAME FROM "
                                  "information_schema.SCHEMATA WHERE SCHEMA_NAME = CONVERT("
        + HexLiteral(database.name()) + " USING utf8mb4);\n";
    std::string sourceCollation;
    std::string copyCollation;
    ASSERT_EQ(RunMariadbClient(source, collation, &sourceCollation), 0) << sourceCollation;
    ASSERT_EQ(RunMariadbClient(target, collation, &copyCollation), 0) << copyCollation;
    EXPECT_EQ(sourceCollation, "utf8mb4\tutf8mb4_bin\n");
    EXPECT_EQ(copyCollation, sourceCollation);

    // The instants themselves, read in one and the same zone on both servers.
    const std::string instants
        = "SET time_zone = '+00:00';\nSELECT id, UNIX_TIMESTAMP(ts) FROM " + QuoteName(database.name()) + ".types;\n";
    std::string sourceInstants;
    std::string copyInstants;
    ASSERT_EQ(RunMariadbClient(source, instants, &sourceInstants), 0) << sourceInstants;
    ASSERT_EQ(RunMariadbClient(target, instants, &copyInstants), 0) << copyInstants;
    EXPECT_EQ(copyInstants, sourceInstants);
    EXPECT_NE(sourceInstants.find("2\t1\n"), std::string::npos) << sourceInstants;
}

// The control for the zone check above: the same dump without its SET TIME_ZONE line,
// restored by the -08:00 session, must shift every TIMESTAMP; so the instants match above
// because of the dump's own zone line, not by chance.
TEST(HardValuesTimeZone, WithoutTheDumpsZoneLineTimestampsShift)
{
    KELVANTO_REQUIRE_SERVER(source, 1);
    KELVANTO_REQUIRE_SERVER(target, 2);
    RoundTripDatabase database("kv_zone", {source, target});
    std::string output;
    ASSERT_EQ(RunMariadbClient(source, HardValuesScript(database.name()), &output), 0) << output;

    TempDir dir;
    const Task task
        = MakeDumpTask(source, database.name(), {{2, 1, database.name(), "types"}}, dir.path() / "dumps", 1, false);
    const EngineDump dump = RunDumpEngine(task, dir.path() / "data", ShiftedZoneConnector());
    ASSERT_EQ(dump.outcome, RunOutcome::Finished) << dump.logText();
    ASSERT_EQ(dump.files.size(), 1u);

    std::ifstream in(dump.files[0], std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::string zoneLine = "SET TIME_ZONE='+00:00';\r\n";
    const auto at = text.find(zoneLine);
    ASSERT_NE(at, std::string::npos) << "the dump sets no session time zone";
    text.erase(at, zoneLine.size());
    const auto stripped = dir.path() / "stripped.sql";
    std::ofstream(stripped, std::ios::binary) << text;
    ASSERT_EQ(RunMariadbClientOnFile(target, stripped, &output, "--init-command=\"SET time_zone='-08:00'\""), 0)
        << output;

    const std::string instant
        = "SELECT UNIX_TIMESTAMP(ts) FROM " + QuoteName(database.name()) + ".types WHERE id = 4;\n";
    std::string sourceInstant;
    std::string copyInstant;
    ASSERT_EQ(RunMariadbClient(source, instant, &sourceInstant), 0) << sourceInstant;
    ASSERT_EQ(RunMariadbClient(target, instant, &copyInstant), 0) << copyInstant;
    // 2024-03-31 02:30:00 at +05:30 is 2024-03-30 21:00:00 UTC; read back at -08:00 it is 8 hours later.
    EXPECT_EQ(sourceInstant, "1711832400\n");
    EXPECT_EQ(copyInstant, "1711861200\n");
}

INSTANTIATE_TEST_SUITE_P(Variants, HardValuesRoundTrip,
    ::testing::Values(VariantRow {"SqlSingleRow", 1, false, false, 0},
        VariantRow {"SqlMultiRowCompleteInsert", 1, true, true, 0}, VariantRow {"PhpMultiRow", 2, true, false, 0},
        // Statements of the restoring server's own 4 MiB: three rows of 1 MiB each, the small rows all in one.
        VariantRow {"SqlSizedInserts", 1, true, false, 4 * 1024 * 1024}),
    [](const auto& variant) { return std::string(variant.param.name); });

} // namespace
} // namespace kelvanto::test
