// The global-lock path of a run's snapshot, for servers without MariaDB's snapshot status
// variables (MySQL, which cannot be run here): the lock is held only while the snapshot opens
// and the position is read, and an account without RELOAD still gets its snapshot.
#include "engines/run/SnapshotSession.h"

#include "tests/support/FakeConnection.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace kelvanto::test
{
namespace
{

FieldInfo Named(const char* name)
{
    FieldInfo field;
    field.name = name;
    return field;
}

std::size_t IndexOf(const std::vector<std::string>& queries, const std::string& sql)
{
    return static_cast<std::size_t>(std::find(queries.begin(), queries.end(), sql) - queries.begin());
}

TEST(SnapshotSessionTest, GlobalLockIsHeldOnlyWhileTheSnapshotOpens)
{
    struct Row
    {
        const char* name;
        bool reload; // the account may take FLUSH TABLES WITH READ LOCK
        const char* position;
        std::size_t warnings;
    };
    for (const Row& row : {Row {"with RELOAD", true, "binary log bin.000007, position 4711, GTID a:1-5", 0},
             Row {"without RELOAD", false, "", 1}}) {
        SCOPED_TRACE(row.name);
        FakeConnection connection(80036, "8.0.36");
        if (!row.reload)
            connection.Fail("FLUSH TABLES WITH READ LOCK", 1227, "Access denied; you need the RELOAD privilege");
        connection.Answer("SHOW MASTER STATUS",
            FakeResult {{Named("File"), Named("Position"), Named("Binlog_Do_DB"), Named("Binlog_Ignore_DB"),
                            Named("Executed_Gtid_Set")},
                {{"bin.000007", "4711", "", "", "a:1-5"}}});

        const SnapshotStart start = OpenSnapshot(connection);
        EXPECT_TRUE(start.opened);
        EXPECT_EQ(start.position, row.position);
        EXPECT_EQ(start.warnings.size(), row.warnings);
        const std::vector<std::string>& queries = connection.Queries();
        const std::size_t begin = IndexOf(queries, "START TRANSACTION WITH CONSISTENT SNAPSHOT");
        ASSERT_LT(begin, queries.size());
        EXPECT_LT(IndexOf(queries, "SET SESSION TRANSACTION ISOLATION LEVEL REPEATABLE READ"), begin);
        if (row.reload) {
            // Locked before the snapshot, the position read inside, unlocked right after.
            EXPECT_LT(IndexOf(queries, "FLUSH TABLES WITH READ LOCK"), begin);
            EXPECT_GT(IndexOf(queries, "SHOW MASTER STATUS"), begin);
            EXPECT_EQ(queries.back(), "UNLOCK TABLES");
        } else {
            EXPECT_EQ(connection.CountOf("UNLOCK TABLES"), 0);
            EXPECT_EQ(connection.CountOf("SHOW MASTER STATUS"), 0);
        }
    }
}

} // namespace
} // namespace kelvanto::test
