// Sakila and the hard values copied from server 1 to server 2 by each of the four copy task
// types (server and database variants, single-row and ten-row INSERTs), compared table by
// table and view by view. The source sessions run at +05:30 and the destination sessions at
// -08:00, so every TIMESTAMP would shift unless the copy keeps its instant; the hard values
// hold rows of 1 MiB, which ten-row statements must carry into a server of 4 MiB statements.
#include "engines/sql/MultiRowStatement.h"
#include "tests/support/HardValues.h"
#include "tests/support/RoundTrip.h"
#include "tests/support/RoundTripDatabase.h"
#include "tests/support/RoundTripEngine.h"
#include "tests/support/ServerSession.h"
#include "tests/support/TestServer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
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

struct CopyRow
{
    const char* name;
    TaskType type;
    bool multiRowInsert;
    bool addAutocommit;
    std::int64_t maxInsertBytes;
};

void PrintTo(const CopyRow& row, std::ostream* os)
{
    *os << row.name;
}

class ServerCopyRoundTrip : public ::testing::TestWithParam<CopyRow>
{
protected:
    static void TearDownTestSuite()
    {
        s_sakila.reset();
        s_hard.reset();
    }

    // Both databases are loaded once per test binary on server 1.
    static bool EnsureSources(const TestServerAddress& source, const TestServerAddress& target)
    {
        if (!s_sakila) {
            s_sakila = std::make_unique<RoundTripDatabase>("kv_copy_sakila", std::vector {source, target});
            s_hard = std::make_unique<RoundTripDatabase>("kv copy`hard", std::vector {source, target});
            s_loadError = LoadSakila(source, s_sakila->name());
            std::string output;
            if (RunMariadbClient(source, HardValuesScript(s_hard->name()), &output) != 0)
                s_loadError += output;
        }
        EXPECT_EQ(s_loadError, "");
        return s_loadError.empty();
    }

    static inline std::unique_ptr<RoundTripDatabase> s_sakila;
    static inline std::unique_ptr<RoundTripDatabase> s_hard;
    static inline std::string s_loadError;
};

TEST_P(ServerCopyRoundTrip, CopiesAreIdentical)
{
    KELVANTO_REQUIRE_SERVER(source, 1);
    KELVANTO_REQUIRE_SERVER(target, 2);
    ASSERT_TRUE(EnsureSources(source, target));
    const CopyRow& row = GetParam();
    const bool databaseVariant = row.type == TaskType::BackupToDatabase || row.type == TaskType::RestoreFromDatabase;

    std::vector<DatabaseItem> databases;
    for (RoundTripDatabase* database : {s_sakila.get(), s_hard.get()}) {
        database->DropOn(target);
        databases.push_back(DatabaseItem {2, database->name(), ListObjectsForTask(source, database->name())});
    }
    Task task = MakeCopyTask(row.type, source, target, databases);
    task.backupSettings.multiRowInsert = row.multiRowInsert ? 1 : 0;
    task.backupSettings.addAutocommit = row.addAutocommit ? 1 : 0;
    task.extras.maxInsertBytes = row.maxInsertBytes;
    std::string suffix;
    if (databaseVariant) {
        suffix = "_c";
        s_sakila->Derived(suffix);
        s_hard->Derived(suffix);
        task.backupSettings.createDatabase = 1;
        task.backupSettings.destDatabaseName = "%DATABASE%" + suffix;
    }
    const EngineDump run = RunCopyEngine(task, ZonedConnector({{source.port, "+05:30"}, {target.port, "-08:00"}}));
    ASSERT_EQ(run.outcome, RunOutcome::Finished) << run.logText();
    EXPECT_EQ(run.errors(), "");

    for (RoundTripDatabase* database : {s_sakila.get(), s_hard.get()}) {
        SCOPED_TRACE(database->name());
        const auto original = TakeFingerprint(source, database->name());
        ASSERT_EQ(original.error, "");
        const auto copy = TakeFingerprint(target, database->name() + suffix);
        EXPECT_EQ(Join(CompareFingerprints(original, copy)), "");
        EXPECT_EQ(copy.viewCount(), database == s_sakila.get() ? 7u : 2u);
    }

    // The instants themselves, read in one and the same zone on both servers.
    const auto instants = [](const std::string& database) {
        return "SET time_zone = '+00:00';\nSELECT id, UNIX_TIMESTAMP(ts) FROM " + QuoteName(database) + ".types;\n";
    };
    std::string sourceInstants;
    std::string copyInstants;
    ASSERT_EQ(RunMariadbClient(source, instants(s_hard->name()), &sourceInstants), 0) << sourceInstants;
    ASSERT_EQ(RunMariadbClient(target, instants(s_hard->name() + suffix), &copyInstants), 0) << copyInstants;
    EXPECT_EQ(copyInstants, sourceInstants);
    // The database keeps its collation, which is not its character set's default.
    const std::string collation = "SELECT DEFAULT_COLLATION_NAME FROM information_schema.SCHEMATA WHERE SCHEMA_NAME = "
                                  "CONVERT("
        + HexLiteral(s_hard->name() + suffix) + " USING utf8mb4);\n";
    std::string copyCollation;
    ASSERT_EQ(RunMariadbClient(target, collation, &copyCollation), 0) << copyCollation;
    EXPECT_EQ(copyCollation, "utf8mb4_bin\n");
}

INSTANTIATE_TEST_SUITE_P(Members, ServerCopyRoundTrip,
    ::testing::Values(CopyRow {"BackupToServerSingleRow", TaskType::BackupToServer, false, false, 0},
        CopyRow {"BackupToDatabaseTenRow", TaskType::BackupToDatabase, true, false, 0},
        CopyRow {"RestoreFromServerTenRowAutocommit", TaskType::RestoreFromServer, true, true, 0},
        CopyRow {"RestoreFromDatabaseSingleRow", TaskType::RestoreFromDatabase, false, false, 0},
        // 1 GiB asked for: the destination's 4 MiB bounds every statement.
        CopyRow {"BackupToServerSized1GiB", TaskType::BackupToServer, true, false, std::int64_t {1} << 30},
        // 64 KiB: many rows per statement, and the rows of 1 MiB alone in theirs.
        CopyRow {"BackupToDatabaseSized64KiB", TaskType::BackupToDatabase, true, true, 64 * 1024}),
    [](const auto& row) { return std::string(row.param.name); });

// The statement limit that the copy reads from the destination is the server's own: a
// statement of exactly that length is taken, one byte more is refused.
TEST(ServerCopyPacketLimit, TheLongestStatementIsTheServersOwn)
{
    KELVANTO_REQUIRE_SERVER(target, 2);
    auto connection = Open(SettingsFor(target));
    ASSERT_TRUE(connection);
    const std::size_t packet = std::stoul(FirstValue(*connection, "SELECT @@max_allowed_packet"));
    const std::size_t limit = MultiRowStatement::LongestStatementFor(packet);
    const std::string head = "SELECT LENGTH('";
    const auto statementOf = [&](std::size_t size) { return head + std::string(size - head.size() - 2, 'x') + "')"; };
    EXPECT_TRUE(connection->Query(statementOf(limit))) << connection->ErrorText();
    auto result = connection->StoreResult();
    auto again = Open(SettingsFor(target));
    ASSERT_TRUE(again);
    EXPECT_FALSE(again->Query(statementOf(limit + 1)));
}

} // namespace
} // namespace kelvanto::test
