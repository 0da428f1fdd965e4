// Where a definition names a database, by the server's rules for names, strings and
// comments: what a copy into another database must not carry unchanged.
#include "engines/sql/StoredObjectReferences.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kelvanto
{
namespace
{

TEST(StoredObjectReferences, NamesWhereADatabaseStandsAndNothingElse)
{
    struct Row
    {
        const char* name;
        std::string definition;
        const char* sqlMode;
        std::vector<std::string> names;
    };
    const Row rows[] = {
        {"QualifiedInsertAndNotTheDefiner",
            "CREATE DEFINER=`tg`@`localhost` TRIGGER t_ai AFTER INSERT ON t FOR EACH ROW INSERT INTO tg.log "
            "VALUES (NEW.id)",
            "", {"tg", "NEW"}},
        {"QuotedWithBlanksAndACommentAroundTheDot",
            "CREATE PROCEDURE p() INSERT INTO `t``g` /* x */ . `log` VALUES (1)", "", {"t`g"}},
        {"ThreePartsAndLaterParts", "CREATE VIEW v AS SELECT tg.log.id, log.id, NEW.tg, x.`tg` FROM `tg`.`log`", "",
            {"tg", "log", "NEW", "x", "tg"}},
        {"StringsCommentsAndVariablesAreNot",
            "CREATE PROCEDURE p() BEGIN\n  SET @tg.x = 'tg.log', @`tg` = \"tg.log\", @@session.sql_mode = '';\n"
            "  -- INSERT INTO tg.log\n  # tg.log\n  /* tg.log */ SELECT 1.5, 'it''s tg.log';\nEND",
            "", {}},
        {"DoubleQuotesNameUnderAnsiQuotes", "CREATE PROCEDURE p() SELECT \"tg\".x, \"t\"\"g\".y", "ANSI_QUOTES",
            {"tg", "t\"g"}},
        {"DoubleQuotesNameUnderAnsi", "CREATE PROCEDURE p() SELECT \"tg\".x", "REAL_AS_FLOAT,ANSI", {"tg"}},
        {"BackslashEscapes", "CREATE PROCEDURE p() SELECT 'a\\'', tg.x, 'b'", "", {"tg"}},
        // Without escapes the backslash ends nothing: the string ends after it, and the
        // next apostrophe opens another one that runs over "tg.x".
        {"NoBackslashEscapes", "CREATE PROCEDURE p() SELECT 'a\\'', tg.x, 'b'", "NO_BACKSLASH_ESCAPES", {}},
        {"VersionCommentIsCode", "CREATE TRIGGER t BEFORE INSERT ON x FOR EACH ROW /*!50003 INSERT INTO tg.log */", "",
            {"tg"}},
        {"AfterDatabaseOrSchema",
            "CREATE PROCEDURE p() BEGIN DROP DATABASE IF EXISTS tg; CREATE SCHEMA IF NOT EXISTS `tg2`; "
            "SELECT DATABASE(), SCHEMA(); END",
            "", {"tg", "tg2"}},
        {"QualifiedObjectName", "CREATE TRIGGER tg.t_ai AFTER INSERT ON tg.t FOR EACH ROW SET @a = 1", "",
            {"tg", "tg"}},
        {"UnterminatedQuote", "CREATE PROCEDURE p() SELECT `tg", "", {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(DatabaseNamesIn(row.definition, DefinitionQuoting::ForSqlMode(row.sqlMode)), row.names);
    }
}

} // namespace
} // namespace kelvanto
