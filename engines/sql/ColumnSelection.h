#pragma once

#include "mysql/Connection.h"
#include "mysql/ServerFeatures.h"

#include <string>
#include <string_view>
#include <vector>

namespace kelvanto
{

// Which columns a copy of a table's rows reads and writes. "SELECT *" leaves out INVISIBLE
// columns, so their values would be lost, and generated (VIRTUAL, STORED, PERSISTENT)
// columns refuse values on restore. A table that has either is read and written by name:
// its stored, non-generated columns in table order, invisible ones included. Any other
// table is read with "*" and written without a column list, as always.
struct ColumnSelection
{
    bool byName = false;
    std::vector<std::string> columns; // byName only

    // "*", or the columns backquoted and separated by ",".
    std::string SelectList() const;
    // "", or "(" + the columns separated by "," + ")", each backquoted when `backquote` is set.
    std::string InsertColumnList(bool backquote) const;
};

// True when a column whose "SHOW COLUMNS" Extra text is `extra` gets no value of its own:
// VIRTUAL, STORED or PERSISTENT as a word (MySQL's DEFAULT_GENERATED is a default, not that).
bool IsGeneratedColumn(std::string_view extra);
// True when `extra` marks an INVISIBLE column.
bool IsInvisibleColumn(std::string_view extra);

// What the columns are read for: a copy of the rows (backup, copy), whose generated columns
// are left out; or an export, which carries every column that "SELECT *" gives, and the
// INVISIBLE ones besides.
enum class ColumnPurpose {
    Copy,
    Export,
};

// The selection for table `name` of the current database, from "SHOW COLUMNS FROM `name`"
// on servers whose tables can have such columns. A server without them, or a query that
// gives no rows, leaves the table read with "*".
ColumnSelection ReadColumnSelection(Connection& connection, std::string_view name, const ServerFeatures& features,
    ColumnPurpose purpose = ColumnPurpose::Copy);

} // namespace kelvanto
