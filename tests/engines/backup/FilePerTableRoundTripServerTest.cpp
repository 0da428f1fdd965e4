// A backup in the file-per-table layout restored the way a restore task replays it: file by
// file in creation order. The objects are listed in the server's (alphabetical) order, so a
// view comes before the view and the table it selects from.
#include "tests/support/RoundTrip.h"
#include "tests/support/RoundTripDatabase.h"
#include "tests/support/RoundTripEngine.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestServer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kelvanto::test
{
namespace
{

TEST(FilePerTableRoundTrip, ViewsOfViewsRestoreFileByFileInCreationOrder)
{
    KELVANTO_REQUIRE_SERVER(source, 1);
    KELVANTO_REQUIRE_SERVER(target, 2);
    RoundTripDatabase database("kv_views", {source, target});
    const std::string db = QuoteName(database.name());
    std::string output;
    ASSERT_EQ(RunMariadbClient(source,
                  "CREATE DATABASE " + db + ";\nUSE " + db
                      + ";\nCREATE TABLE base_t (id INT PRIMARY KEY, name VARCHAR(10));\n"
                        "INSERT INTO base_t VALUES (1, 'one'), (2, 'two'), (3, NULL);\n"
                        "CREATE VIEW b_view AS SELECT id, name FROM base_t WHERE id > 1;\n"
                        "CREATE VIEW a_view AS SELECT id, CONCAT(name, '!') AS loud FROM b_view;\n",
                  &output),
        0)
        << output;
    const auto original = TakeFingerprint(source, database.name());
    ASSERT_EQ(original.error, "");
    ASSERT_EQ(original.viewCount(), 2u);

    std::vector<TableItem> serverOrder;
    for (const auto& [name, kind] : {std::pair {"a_view", 2}, {"b_view", 2}, {"base_t", 1}})
        serverOrder.push_back(TableItem {2, static_cast<std::uint8_t>(kind), database.name(), name});
    TempDir dir;
    const Task task = MakeDumpTask(source, database.name(), serverOrder, dir.path() / "dumps", 3, false);
    const EngineDump dump = RunDumpEngine(task, dir.path() / "data");
    ASSERT_EQ(dump.outcome, RunOutcome::Finished) << dump.logText();
    EXPECT_EQ(dump.errors(), "");
    ASSERT_EQ(dump.files.size(), 3u);

    for (const std::string& file : dump.files) {
        ASSERT_EQ(RunMariadbClientOnFile(target, file, &output), 0) << file << ":\n" << output;
    }
    std::vector<std::string> differences = CompareFingerprints(original, TakeFingerprint(target, database.name()));
    std::string text;
    for (const std::string& line : differences)
        text += line + "\n";
    EXPECT_EQ(text, "");
}

} // namespace
} // namespace kelvanto::test
