#include "engines/StoredObject.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace kelvanto
{
namespace
{

TEST(StoredObjectTest, StripDefinerRemovesOnlyTheClauseBeforeTheObject)
{
    struct Row
    {
        const char* create;
        const char* expected;
    };
    const Row rows[] = {
        {"CREATE DEFINER=`root`@`localhost` PROCEDURE `p`()\nBEGIN END", "CREATE PROCEDURE `p`()\nBEGIN END"},
        {"CREATE DEFINER=`a``b`@`%` TRIGGER t BEFORE INSERT ON x FOR EACH ROW SET @a=1",
            "CREATE TRIGGER t BEFORE INSERT ON x FOR EACH ROW SET @a=1"},
        {"CREATE ALGORITHM=UNDEFINED DEFINER=`u`@`h` SQL SECURITY DEFINER VIEW `v` AS select 1",
            "CREATE ALGORITHM=UNDEFINED SQL SECURITY DEFINER VIEW `v` AS select 1"},
        {"CREATE OR REPLACE DEFINER='u'@'h h' EVENT e ON SCHEDULE EVERY 1 DAY DO SELECT 1",
            "CREATE OR REPLACE EVENT e ON SCHEDULE EVERY 1 DAY DO SELECT 1"},
        {"CREATE DEFINER=CURRENT_USER() FUNCTION f() RETURNS INT RETURN 1", "CREATE FUNCTION f() RETURNS INT RETURN 1"},
        {"CREATE DEFINER=`role_only` PROCEDURE p() SELECT 1", "CREATE PROCEDURE p() SELECT 1"},
        // A DEFINER= in the body is text of the object, not its clause.
        {"CREATE PROCEDURE p() SELECT 'DEFINER=`x`@`y`'", "CREATE PROCEDURE p() SELECT 'DEFINER=`x`@`y`'"},
        {"CREATE SQL SECURITY INVOKER VIEW v AS SELECT 1", "CREATE SQL SECURITY INVOKER VIEW v AS SELECT 1"},
        {"SELECT 1", "SELECT 1"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.create);
        EXPECT_EQ(StripDefiner(row.create), row.expected);
    }
}

TEST(StoredObjectTest, StatementsReplaceTheObjectUnderItsOwnSettingsAndRestoreTheSession)
{
    StoredObject event {StoredObjectKind::Event, "e`1", {}, "STRICT_TRANS_TABLES,NO_ZERO_DATE", "utf8mb4",
        "utf8mb4_general_ci", "Europe/Paris",
        "CREATE DEFINER=`u`@`h` EVENT `e``1` ON SCHEDULE EVERY 1 DAY DO BEGIN END"};
    const ObjectStatements statements = StatementsFor(event, false);
    ASSERT_EQ(statements.error, "");
    ASSERT_FALSE(statements.before.empty());
    EXPECT_EQ(statements.before.front(), "DROP EVENT IF EXISTS `e``1`");
    const auto has = [](const std::vector<std::string>& list, const std::string& line) {
        return std::find(list.begin(), list.end(), line) != list.end();
    };
    EXPECT_TRUE(has(statements.before, "SET sql_mode = 'STRICT_TRANS_TABLES,NO_ZERO_DATE'"));
    EXPECT_TRUE(has(statements.before, "SET character_set_client = 'utf8mb4'"));
    EXPECT_TRUE(has(statements.before, "SET collation_connection = 'utf8mb4_general_ci'"));
    EXPECT_TRUE(has(statements.before, "SET time_zone = 'Europe/Paris'"));
    EXPECT_TRUE(has(statements.after, "SET time_zone = @kelvanto_saved_time_zone"));
    EXPECT_TRUE(has(statements.after, "SET sql_mode = @kelvanto_saved_sql_mode"));
    EXPECT_EQ(statements.create, event.definition);
    EXPECT_EQ(StatementsFor(event, true).create, "CREATE EVENT `e``1` ON SCHEDULE EVERY 1 DAY DO BEGIN END");

    StoredObject trigger {StoredObjectKind::Trigger, "t", "x", "", "utf8mb3", "utf8mb3_general_ci", {}, "CREATE ..."};
    const ObjectStatements triggerStatements = StatementsFor(trigger, false);
    EXPECT_EQ(triggerStatements.before.front(), "DROP TRIGGER IF EXISTS `t`");
    EXPECT_TRUE(has(triggerStatements.before, "SET sql_mode = ''"));
    EXPECT_FALSE(has(triggerStatements.after, "SET time_zone = @kelvanto_saved_time_zone"));

    // Settings come from the server: one that could break out of its literal is refused.
    for (const char* hostile : {"utf8'; DROP DATABASE x; --", "a\\", "x y"}) {
        SCOPED_TRACE(hostile);
        StoredObject bad = trigger;
        bad.collationConnection = hostile;
        EXPECT_NE(StatementsFor(bad, false).error, "");
    }
}

TEST(StoredObjectTest, DelimiterBlockKeepsLineEndsAndEndsWithATerminatorTheTextLacks)
{
    struct Row
    {
        const char* create;
        const char* expected;
    };
    const Row rows[] = {
        {"CREATE PROCEDURE p()\nBEGIN\n  SELECT 'a;\nb';\nEND",
            "DELIMITER ;;\r\nCREATE PROCEDURE p()\nBEGIN\n  SELECT 'a;\nb';\nEND;;\r\nDELIMITER ;\r\n"},
        {"CREATE PROCEDURE p() SELECT ';;'", "DELIMITER $$\r\nCREATE PROCEDURE p() SELECT ';;'$$\r\nDELIMITER ;\r\n"},
        {"CREATE PROCEDURE p() SELECT ';; $$ // ## ~~'",
            "DELIMITER ~~~\r\nCREATE PROCEDURE p() SELECT ';; $$ // ## ~~'\r\n~~~\r\nDELIMITER ;\r\n"},
        // A last line that could end in a comment ("--" or "#"): the terminator on a line of its own.
        {"CREATE PROCEDURE p()\nBEGIN\nEND -- done",
            "DELIMITER ;;\r\nCREATE PROCEDURE p()\nBEGIN\nEND -- done\r\n;;\r\n"
            "DELIMITER ;\r\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.create);
        std::string out;
        AppendDelimiterBlock(out, row.create, "\r\n");
        EXPECT_EQ(out, row.expected);
    }
}

} // namespace
} // namespace kelvanto
