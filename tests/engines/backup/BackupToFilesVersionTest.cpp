#include "engines/backup/BackupToFiles.h"

#include "tests/engines/backup/BackupToFilesFixture.h"

#include <gtest/gtest.h>

#include <string>

namespace kelvanto::test
{
namespace
{

using BackupToFilesVersionTest = BackupToFilesFixture;

TEST_F(BackupToFilesVersionTest, CharsetSqlModeAndTimeZoneLinesFollowTheServerVersion)
{
    struct Row
    {
        unsigned long version;
        const char* info;
        bool charset; // handshake done and character-set lines written
        bool sqlMode; // SQL_MODE lines and the DEFAULT CHARACTER SET clause
        bool timeZone; // UTC session and the TIME_ZONE lines
    };
    const Row rows[] = {
        {40018, "4.0.18", false, false, false},
        {40100, "4.1.0-alpha", true, false, false},
        {40101, "4.1.1-alpha", true, true, false},
        {40103, "4.1.3-beta", true, true, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.info);
        UseServer(row.version, row.info);
        ChooseTables({Table("items")});
        AddItemsTable({{"1", "a"}});
        ASSERT_EQ(Run(), RunOutcome::Finished);
        const std::string text = ReadFile(DumpPath());

        EXPECT_EQ(fake->CountOf("SELECT @@CHARACTER_SET_SERVER"), row.charset ? 1 : 0);
        EXPECT_EQ(fake->CountOf("SELECT @@CHARACTER_SET_DATABASE"), row.charset ? 1 : 0);
        EXPECT_EQ(fake->CountOf("SET NAMES 'latin1'"), row.charset ? 1 : 0);
        EXPECT_EQ(CountOf(text, "SET NAMES 'utf8mb4';\n"), row.charset ? 1 : 0);
        EXPECT_EQ(CountOf(text, "SET NAMES 'latin1';\n"), row.charset ? 1 : 0);
        EXPECT_EQ(CountOf(text, "CHARACTER_SET"), row.charset ? 18 : 0);

        EXPECT_EQ(CountOf(text, "SET @OLD_SQL_MODE=@@SQL_MODE;\nSET SQL_MODE='NO_AUTO_VALUE_ON_ZERO';\n"),
            row.sqlMode ? 1 : 0);
        EXPECT_EQ(CountOf(text, "SET SQL_MODE=@OLD_SQL_MODE;\n"), row.sqlMode ? 1 : 0);
        EXPECT_EQ(CountOf(text,
                      row.sqlMode ? "CREATE DATABASE IF NOT EXISTS `shop` DEFAULT CHARACTER SET latin1;\n"
                                  : "CREATE DATABASE IF NOT EXISTS `shop`;\n"),
            1);

        EXPECT_EQ(fake->CountOf("SET TIME_ZONE='+00:00'"), row.timeZone ? 1 : 0);
        EXPECT_EQ(CountOf(text, "SET @OLD_TIME_ZONE=@@TIME_ZONE;\nSET TIME_ZONE='+00:00';\n"), row.timeZone ? 1 : 0);
        EXPECT_EQ(CountOf(text, "SET TIME_ZONE=@OLD_TIME_ZONE;\n"), row.timeZone ? 1 : 0);
    }
}

TEST_F(BackupToFilesVersionTest, OldServerGetsNoQuotesReadLocksAndARebuiltDefinition)
{
    // Below 3.23.6 names cannot be quoted; below 3.23.11 read locks are plain READ and below
    // 3.23.12 there is no CREATE DATABASE IF NOT EXISTS.
    UseServer(32305, "3.23.5");
    task.backupSettings.lockTables = 1;
    task.backupSettings.addSetNames = 1;
    ChooseTables({Table("items")});
    const std::vector<FieldInfo> fields {
        Field("id", FieldType::Long, FieldFlag::NotNull | FieldFlag::PrimaryKey | FieldFlag::AutoIncrement, 11),
        Field("name", FieldType::VarString, 0, 20)};
    fake->SetFields("items", fields);
    fake->Answer(
        "SHOW TABLE STATUS LIKE 'items'", FakeResult {{Field("Name", 253), Field("Type", 253)}, {{"items", "MyISAM"}}});
    fake->Answer("SHOW COLUMNS FROM items LIKE 'name'",
        FakeResult {{Field("Field", 253), Field("Type", 253)}, {{"name", " varchar(20) "}}});
    fake->Answer("SELECT * FROM items", FakeResult {fields, {{"1", "it's"}}});

    ASSERT_EQ(Run(), RunOutcome::Finished);
    const std::string text = ReadFile(DumpPath());
    const std::string body = "SET @OLD_SQL_NOTES=@@SQL_NOTES;\n"
                             "SET SQL_NOTES=0;\n"
                             "CREATE DATABASE shop;\n"
                             "USE shop;\n"
                             "\n"
                             "DROP TABLE IF EXISTS items;\n"
                             "CREATE TABLE IF NOT EXISTS items(id INT(11) NOT NULL AUTO_INCREMENT, name VARCHAR(20) "
                             "NULL, PRIMARY KEY (id))TYPE=MyISAM;\n"
                             "ALTER TABLE items DISABLE KEYS;\n"
                             "LOCK TABLES items WRITE;\n"
                             "INSERT INTO items VALUES (1,'it\\'s');\n"
                             "UNLOCK TABLES;\n"
                             "ALTER TABLE items ENABLE KEYS;\n"
                             "SET FOREIGN_KEY_CHECKS=@OLD_FOREIGN_KEY_CHECKS;\n";
    EXPECT_EQ(CountOf(text, body), 1) << text;
    EXPECT_EQ(CountOf(text, "`"), 0);
    EXPECT_EQ(fake->CountOf("LOCK TABLES items READ"), 1);
    for (const std::string& query : fake->Queries()) {
        EXPECT_EQ(query.find("SHOW CREATE"), std::string::npos) << query;
        EXPECT_EQ(query.find("CHARACTER_SET"), std::string::npos) << query;
        EXPECT_EQ(query.find("TIME_ZONE"), std::string::npos) << query;
    }
}

} // namespace
} // namespace kelvanto::test
