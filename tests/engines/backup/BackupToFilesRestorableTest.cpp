// What makes a dump restorable where "SELECT *" and plain INSERTs are not enough: invisible
// and generated columns, statements too long for the restoring server, and views whose
// files come before what they select from.
#include "engines/backup/BackupToFiles.h"

#include "engines/backup/BackupToFilesRecords.h"
#include "engines/sql/ColumnSelection.h"
#include "engines/sql/MultiRowStatement.h"
#include "engines/sql/ViewOrder.h"
#include "tests/engines/backup/BackupToFilesFixture.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

namespace kelvanto::test
{
namespace
{

using BackupToFilesRestorableTest = BackupToFilesFixture;

FakeResult ShowColumns(const std::vector<std::pair<std::string, std::string>>& columns)
{
    FakeResult result;
    for (const char* name : {"Field", "Type", "Null", "Key", "Default", "Extra"})
        result.fields.push_back(Field(name, FieldType::VarString));
    for (const auto& [name, extra] : columns)
        result.rows.push_back({name, "int(11)", "YES", "", std::nullopt, extra});
    return result;
}

TEST(ColumnSelectionTest, OnlyTablesWithInvisibleOrGeneratedColumnsAreReadByName)
{
    struct Row
    {
        const char* name;
        unsigned long version;
        std::optional<FakeResult> answer;
        std::string select;
        std::string insertList;
    };
    const Row rows[] = {
        {"plain table", 100611,
            ShowColumns({{"id", "auto_increment"}, {"t", "on update current_timestamp()"},
                {"u", "DEFAULT_GENERATED"}}), // MySQL 8: an expression default, not a generated column
            "*", ""},
        {"invisible column", 100611, ShowColumns({{"id", ""}, {"se`cret", "INVISIBLE"}}), "`id`,`se``cret`",
            "(`id`,`se``cret`)"},
        {"generated columns", 100611,
            ShowColumns({{"v", "VIRTUAL GENERATED"}, {"id", ""}, {"s", "stored generated"}, {"n", ""},
                {"p", "PERSISTENT"}, {"w", "VIRTUAL"}}),
            "`id`,`n`", "(`id`,`n`)"},
        {"only generated columns", 100611, ShowColumns({{"v", "PERSISTENT"}}), "*", ""},
        {"no answer", 100611, std::nullopt, "*", ""},
        {"server without such columns", 50199, ShowColumns({{"id", "INVISIBLE"}}), "*", ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        FakeConnection connection(row.version, "x");
        if (row.answer)
            connection.Answer("SHOW COLUMNS FROM `t`", *row.answer);
        const ColumnSelection selection = ReadColumnSelection(connection, "t", ServerFeatures::ForVersion(row.version));
        EXPECT_EQ(selection.SelectList(), row.select);
        EXPECT_EQ(selection.InsertColumnList(true), row.insertList);
        EXPECT_EQ(connection.CountOf("SHOW COLUMNS FROM `t`"), row.version >= 50200 ? 1 : 0);
    }
}

TEST_F(BackupToFilesRestorableTest, TableWithInvisibleAndGeneratedColumnsIsWrittenByName)
{
    struct Row
    {
        const char* name;
        std::uint8_t completeInsert, keywordColumns;
        std::string prefix;
    };
    const Row rows[] = {
        {"plain INSERTs get the column list", 0, 0, "INSERT INTO `g`(`id`,`secret`) VALUES "},
        {"complete INSERTs keep their own quoting", 1, 0, "INSERT INTO `g`(id,secret) VALUES "},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        task.backupSettings.completeInsert = row.completeInsert;
        task.backupSettings.allowKeywordColumns = row.keywordColumns;
        task.backupSettings.multiRowInsert = 1;
        ChooseTables({Table("g")});
        const std::vector<FieldInfo> stored {Field("id", FieldType::Long), Field("secret", FieldType::VarString)};
        AddTable("g", "`g`", "CREATE TABLE `g` (`id` int)", stored, {});
        fake->Answer("SHOW COLUMNS FROM `g`",
            ShowColumns({{"id", ""}, {"secret", "INVISIBLE"}, {"v", "VIRTUAL GENERATED"}, {"s", "STORED GENERATED"}}));
        fake->Answer("SELECT `id`,`secret` FROM `g`", FakeResult {stored, {{"1", "a"}, {"2", std::nullopt}}});

        ASSERT_EQ(Run(), RunOutcome::Finished);
        EXPECT_EQ(CountOf(ReadFile(DumpPath()), "\n" + row.prefix + "(1,'a'),(2,NULL);\n"), 1) << ReadFile(DumpPath());
        EXPECT_EQ(fake->CountOf("SELECT * FROM `g`"), 0);
    }
}

// A multi-row statement ends early when the next row would make it longer than a server
// with a 4 MiB max_allowed_packet takes; a row longer than that still goes alone. With a size
// of the user's, a statement takes every row that fits in what a server whose max_allowed_packet
// is that size takes (the next statement's first row would not have fitted), and a row longer
// than that goes alone, said once per table.
TEST_F(BackupToFilesRestorableTest, MultiRowStatementsStayWithinTheirSize)
{
    constexpr std::size_t limit = BackupToFilesRecords::kMaxStatementBytes;
    const std::string prefix = "INSERT INTO `big` VALUES ";
    const std::size_t mebibyte = 1024 * 1024;
    // Two rows of 1 MiB and a third that fills the statement, ";" included, to the limit.
    const std::size_t third = limit - prefix.size() - 2 * (mebibyte + 4) - 2 - 4 - 1;
    struct Row
    {
        const char* name;
        std::int64_t maxInsertBytes;
        std::vector<std::size_t> sizes;
        std::vector<int> perStatement;
        std::size_t oversized; // the first statement that a row alone made too long, ";" included
    };
    const std::vector<std::size_t> small(25, 10); // 14 bytes each, 25 + 15 per row with ";"
    const Row rows[] = {
        {"exactly at the limit", 0, {mebibyte, mebibyte, third, 10}, {3, 1}, 0},
        {"one byte over", 0, {mebibyte, mebibyte, third + 1, 10}, {2, 2}, 0},
        {"rows of 1 MiB", 0, std::vector<std::size_t>(10, mebibyte), {3, 3, 3, 1}, 0},
        {"a row longer than the limit", 0, {10, 5 * mebibyte, 10}, {1, 1, 1}, 0},
        {"small rows keep ten", 0, small, {10, 10, 5}, 0},
        {"small rows fill the user's size", 200, small, {11, 11, 3}, 0},
        {"exactly at the user's size", 192, small, {11, 11, 3}, 0}, // 190 bytes, what a server of 192 takes
        {"one byte below", 191, small, {10, 10, 5}, 0},
        {"a row longer than the user's size", 100, {10, 200, 10, 300, 10}, {1, 1, 1, 1, 1}, 230},
        {"a tiny size leaves every row alone", 1, {1, 1, 1}, {1, 1, 1}, 31},
        {"rows of 1 MiB in 2.5 MiB", 5 * mebibyte / 2, std::vector<std::size_t>(5, mebibyte), {2, 2, 1}, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        task.backupSettings.multiRowInsert = 1;
        task.backupSettings.disableKeys = 0;
        task.extras.maxInsertBytes = row.maxInsertBytes;
        ChooseTables({Table("big")});
        std::vector<Values> values;
        for (std::size_t size : row.sizes)
            values.push_back({std::string(size, 'v')});
        AddTable("big", "`big`", "CREATE TABLE `big` (`v` longtext)", {Field("v", FieldType::Blob)}, values);

        ASSERT_EQ(Run(), RunOutcome::Finished);
        const std::size_t longest = row.maxInsertBytes > 0
            ? MultiRowStatement::LongestStatementFor(static_cast<std::size_t>(row.maxInsertBytes))
            : limit;
        std::vector<int> perStatement;
        std::istringstream lines(ReadFile(DumpPath()));
        std::string all;
        std::size_t before = 0; // the statement before this one
        for (std::string line; std::getline(lines, line);) {
            if (line.rfind(prefix, 0) != 0)
                continue;
            perStatement.push_back(CountOf(line, "('"));
            if (perStatement.back() > 1) {
                EXPECT_LE(line.size(), longest);
            }
            const std::size_t firstRow = line.find("'),") != std::string::npos ? line.find("'),") + 2 - prefix.size()
                                                                               : line.size() - 1 - prefix.size();
            if (row.maxInsertBytes > 0 && before > 0) {
                EXPECT_GT(before + 1 + firstRow, longest);
            }
            before = line.size();
            all += line.substr(prefix.size(), line.size() - prefix.size() - 1) + ",";
        }
        EXPECT_EQ(perStatement, row.perStatement);
        std::string expected;
        for (std::size_t size : row.sizes)
            expected += "('" + std::string(size, 'v') + "'),";
        EXPECT_TRUE(all == expected);
        std::vector<std::string> warnings;
        for (const LogLine& line : context->LogLines()) {
            if (line.level == LogLevel::Warning)
                warnings.push_back(line.text);
        }
        std::vector<std::string> expectedWarnings;
        if (row.oversized > 0) {
            expectedWarnings.push_back("Records of the table big are longer than INSERT statements of "
                + std::to_string(row.maxInsertBytes)
                + " bytes (maxInsertBytes): each of them went alone into a statement of its own, the first of "
                + std::to_string(row.oversized) + " bytes");
        }
        EXPECT_EQ(warnings, expectedWarnings);
    }
}

TEST(ViewOrderTest, TablesFirstThenEachViewAfterTheViewsItNames)
{
    const auto items = [](std::vector<std::string> names) {
        std::vector<TableItem> list;
        for (auto& name : names)
            list.push_back(TableItem {2, 1, "db", std::move(name)});
        return list;
    };
    const auto view = [](const std::string& name, const std::string& from) {
        return "CREATE ALGORITHM=UNDEFINED DEFINER=`root`@`localhost` SQL SECURITY DEFINER VIEW `" + name
            + "` AS select 1 AS `x` from " + from;
    };
    struct Row
    {
        const char* name;
        std::vector<std::string> objects;
        std::map<std::string, std::string> views;
        std::vector<std::string> expected;
    };
    const Row rows[] = {
        {"no views", {"b", "a"}, {}, {"b", "a"}},
        {"views after tables, in their order", {"v1", "t", "v2", "u"},
            {{"v1", view("v1", "`t`")}, {"v2", view("v2", "`u`")}}, {"t", "u", "v1", "v2"}},
        {"a view after the view it names", {"a_view", "b_view", "t"},
            {{"a_view", view("a_view", "`b_view`")}, {"b_view", view("b_view", "`t`")}}, {"t", "b_view", "a_view"}},
        {"a chain in reverse", {"v1", "v2", "v3"},
            {{"v1", view("v1", "`v2`")}, {"v2", view("v2", "`db`.`v3`")}, {"v3", view("v3", "`t`")}},
            {"v3", "v2", "v1"}},
        {"views that name each other keep their order", {"x", "y", "z"},
            {{"x", view("x", "`y`")}, {"y", view("y", "`x`")}, {"z", view("z", "`x`")}}, {"x", "y", "z"}},
        {"names with a backquote", {"a`v", "b`v"}, {{"a`v", view("a``v", "`b``v`")}, {"b`v", view("b``v", "`t`")}},
            {"b`v", "a`v"}},
        {"a prefix of a name is no reference", {"ab", "a"}, {{"ab", view("ab", "`abc`")}, {"a", view("a", "`t`")}},
            {"ab", "a"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::vector<std::string> names;
        for (const TableItem& item : TablesBeforeViews(items(row.objects), row.views))
            names.push_back(item.name);
        EXPECT_EQ(names, row.expected);
    }
}

} // namespace
} // namespace kelvanto::test
