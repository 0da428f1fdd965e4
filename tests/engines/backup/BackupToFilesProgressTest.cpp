// Progress of a backup run: the table being dumped, its rows done and, where the server
// gives a row estimate, a share of it.
#include "tests/engines/backup/BackupToFilesFixture.h"

namespace kelvanto::test
{
namespace
{

using BackupToFilesProgressTest = BackupToFilesFixture;

TEST_F(BackupToFilesProgressTest, EachTableReportsItsRowsAgainstTheServersEstimate)
{
    struct Row
    {
        const char* name;
        std::optional<std::string> estimate; // the "Rows" column; nullopt: NULL
        std::uint64_t expectedEstimate;
        int percentAfterTwoRows;
        int percentAtTheEnd;
    };
    const Row rows[] = {
        {"estimate short of the real count", "4", 4, 50, 99},
        {"exact estimate", "5", 5, 40, 99},
        {"estimate far above", "1000", 1000, 0, 0},
        {"NULL estimate", std::nullopt, 0, -1, -1},
        {"estimate that is not a number", "n/a", 0, -1, -1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        UseServer(100611, "10.6.11-MariaDB");
        ChooseTables({Table("items")});
        std::vector<Values> values;
        for (int i = 0; i < 5; ++i)
            values.push_back({std::to_string(i), "n"});
        AddItemsTable(values);
        fake->Answer("SHOW TABLE STATUS LIKE 'items'",
            FakeResult {{Field("Name", 253), Field("Engine", 253), Field("Version", 8), Field("Row_format", 253),
                            Field("Rows", 8)},
                {{"items", "InnoDB", "10", "Dynamic", row.estimate}}});

        ASSERT_EQ(Run(), RunOutcome::Finished);
        const std::vector<RunProgress> reports = context->ProgressReports();
        ASSERT_EQ(reports.size(), 6u) << "the table's start and every row";
        EXPECT_EQ(reports[0], (RunProgress {"shop.items", 0, 0})) << "the start names the table at once";
        for (std::size_t i = 1; i < reports.size(); ++i) {
            EXPECT_EQ(reports[i].object, "shop.items");
            EXPECT_EQ(reports[i].rowsDone, i);
            EXPECT_EQ(reports[i].rowsEstimate, row.expectedEstimate);
        }
        EXPECT_EQ(reports[2].Percent(), row.percentAfterTwoRows);
        EXPECT_EQ(reports[5].Percent(), row.percentAtTheEnd);
    }
}

TEST_F(BackupToFilesProgressTest, AServerWithoutARowsColumnGivesRowsWithoutAShare)
{
    // An old server's SHOW TABLE STATUS (as the fixture answers it) has no "Rows" column.
    UseServer(32322, "3.23.22");
    task.backupSettings.exportStructure = 0;
    ChooseTables({Table("items"), Table("more")});
    AddItemsTable({{"1", "a"}, {"2", "b"}});
    AddTable("more", "`more`", "", {Field("id", FieldType::Long)}, {{"7"}});
    ASSERT_EQ(Run(), RunOutcome::Finished);
    std::vector<std::pair<std::string, std::uint64_t>> seen;
    for (const RunProgress& report : context->ProgressReports()) {
        EXPECT_EQ(report.rowsEstimate, 0u);
        seen.emplace_back(report.object, report.rowsDone);
    }
    const std::vector<std::pair<std::string, std::uint64_t>> expected {
        {"shop.items", 0}, {"shop.items", 1}, {"shop.items", 2}, {"shop.more", 0}, {"shop.more", 1}};
    EXPECT_EQ(seen, expected) << context->LogText();
}

} // namespace
} // namespace kelvanto::test
