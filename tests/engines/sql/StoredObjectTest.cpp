#include "engines/sql/StoredObject.h"

#include <gtest/gtest.h>

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

// The round trips prove the statements on a server; what they cannot show is an event's time
// zone put back afterwards, and settings from the server that would break out of a literal.
TEST(StoredObjectTest, StatementsRestoreAnEventsTimeZoneAndRefuseSettingsThatAreNotPlainNames)
{
    const StoredObject event {StoredObjectKind::Event, "e`1", {}, "NO_ZERO_DATE", "utf8mb4", "utf8mb4_general_ci",
        "Europe/Paris", "CREATE DEFINER=`u`@`h` EVENT `e``1` ON SCHEDULE EVERY 1 DAY DO BEGIN END"};
    const ObjectStatements statements = StatementsFor(event, true);
    ASSERT_EQ(statements.error, "");
    EXPECT_EQ(statements.before.front(), "DROP EVENT IF EXISTS `e``1`");
    EXPECT_EQ(statements.before.back(), "SET time_zone = 'Europe/Paris'");
    EXPECT_EQ(statements.after.front(), "SET time_zone = @kelvanto_saved_time_zone");
    EXPECT_EQ(statements.create, "CREATE EVENT `e``1` ON SCHEDULE EVERY 1 DAY DO BEGIN END");

    for (const char* hostile : {"utf8'; DROP DATABASE x; --", "a\\", "x y"}) {
        SCOPED_TRACE(hostile);
        StoredObject bad = event;
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
