#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kelvanto
{

// How the text of a definition quotes: "..." is a name under ANSI_QUOTES and a string
// otherwise; a backslash escapes in strings unless NO_BACKSLASH_ESCAPES.
struct DefinitionQuoting
{
    bool ansiQuotes = false;
    bool backslashEscapes = true;

    // The quoting of an object created under `sqlMode` (its comma-separated list).
    static DefinitionQuoting ForSqlMode(std::string_view sqlMode);
};

// The names in the SQL text `definition` (a trigger, routine, event or view as SHOW CREATE
// gives it) that stand where a database is named: the first part of a qualified name
// ("db.table", "db.routine(...)", "db.table.column"), and the name after DATABASE or SCHEMA
// ("DROP DATABASE IF EXISTS db"), each as the server reads it (plain, or between backquotes,
// or double quotes under ANSI_QUOTES, with the doubled quote as one). Nothing in a string
// literal, a comment, a user or system variable or the DEFINER clause counts; the text of a
// version comment ("/*!50003 ...*/") does. A table or alias qualifying a column ("t.id")
// stands where a database could, and is given too: the caller errs on the side of caution.
// In the order they appear, duplicates included.
std::vector<std::string> DatabaseNamesIn(std::string_view definition, DefinitionQuoting quoting);

} // namespace kelvanto
