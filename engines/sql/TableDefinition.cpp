#include "engines/sql/TableDefinition.h"

#include "model/Text.h"

#include "mysql/SqlNames.h"

#include <cctype>

namespace kelvanto
{

namespace
{

constexpr std::string_view kCreateTable = "CREATE TABLE";

bool StartsWithNoCase(std::string_view text, std::string_view prefix)
{
    if (text.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i])
            return false;
    }
    return true;
}

// The definition on one line: CR and LF are dropped, except inside quoted names and texts
// ('...', "..." and `...`), where they are part of a name or a value and are kept.
std::string OnOneLine(std::string_view definition)
{
    std::string text;
    text.reserve(definition.size() + 14);
    char quote = 0;
    bool escaped = false;
    for (char c : definition) {
        if (quote == 0) {
            if (c == '\r' || c == '\n')
                continue;
            if (c == '\'' || c == '"' || c == '`')
                quote = c;
        } else if (escaped) {
            escaped = false;
        } else if (c == '\\' && quote != '`') {
            escaped = true;
        } else if (c == quote) {
            quote = 0; // a doubled quote opens the text again at the next character
        }
        text += c;
    }
    return text;
}

std::string Attributes(const FieldInfo& column)
{
    std::string text;
    if (column.flags & FieldFlag::Unsigned)
        text += "UNSIGNED ";
    if (column.flags & FieldFlag::ZeroFill)
        text += "ZEROFILL ";
    return text;
}

std::string Sized(const char* type, const FieldInfo& column)
{
    return std::string(type) + "(" + std::to_string(column.length) + ") " + Attributes(column);
}

// The column's own type text from "SHOW COLUMNS ... LIKE", with SET/ENUM capitalised
// without touching their member list; empty when the server does not tell.
std::string OwnTypeText(Connection& connection, std::string_view table, const FieldInfo& column, bool quoting)
{
    const std::string query
        = "SHOW COLUMNS FROM " + QuoteName(table, quoting) + " LIKE '" + LikeLiteral(column.name) + "'";
    if (!connection.Query(query))
        return {};
    auto result = connection.StoreResult();
    RowView row;
    if (!result || !result->FetchRow(row) || row.count < 2 || row.isNull(1))
        return {};
    std::string text(TrimBlanks(row.value(1)));
    std::size_t upperUntil = text.size();
    if (StartsWithNoCase(text, "enum"))
        upperUntil = 4;
    else if (StartsWithNoCase(text, "set"))
        upperUntil = 3;
    for (std::size_t i = 0; i < upperUntil; ++i)
        text[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[i])));
    return text;
}

// The type part of a column clause; false when the column is to be left out.
bool TypeText(Connection& connection, std::string_view table, const FieldInfo& column, bool quoting, std::string& text,
    bool& quotedDefault)
{
    quotedDefault = false;
    switch (column.type) {
    case FieldType::Decimal:
        text = "DECIMAL " + Attributes(column);
        return true;
    case FieldType::Tiny:
        text = Sized("TINYINT", column);
        return true;
    case FieldType::Short:
        text = Sized("SMALLINT", column);
        return true;
    case FieldType::Long:
        text = Sized("INT", column);
        return true;
    case FieldType::LongLong:
        text = Sized("BIGINT", column);
        return true;
    case FieldType::Int24:
        text = Sized("MEDIUMINT", column);
        return true;
    case FieldType::Float:
        text = "FLOAT " + Attributes(column);
        return true;
    case FieldType::Double:
        text = "DOUBLE " + Attributes(column);
        return true;
    case FieldType::Null:
        text = "NULL ";
        return true;
    case FieldType::Bit:
        text = column.length < 2 ? std::string("BIT ") : "BIT(" + std::to_string(column.length) + ") ";
        return true;
    case FieldType::Geometry:
        text = "GEOMETRY ";
        return true;
    case FieldType::Timestamp:
        text = "TIMESTAMP ";
        break;
    case FieldType::Date:
    case FieldType::NewDate:
        text = "DATE ";
        break;
    case FieldType::Time:
        text = "TIME ";
        break;
    case FieldType::DateTime:
        text = "DATETIME ";
        break;
    case FieldType::Year:
        text = "YEAR ";
        break;
    case FieldType::VarChar:
    case FieldType::Enum:
    case FieldType::Set:
    case FieldType::TinyBlob:
    case FieldType::MediumBlob:
    case FieldType::LongBlob:
    case FieldType::Blob:
    case FieldType::VarString:
    case FieldType::String: {
        std::string own = OwnTypeText(connection, table, column, quoting);
        if (own.empty())
            return false;
        text = std::move(own) + " ";
        break;
    }
    default:
        return false;
    }
    quotedDefault = true;
    return true;
}

} // namespace

Result<std::string> ReadTableDefinition(Connection& connection, std::string_view name)
{
    if (!connection.Query("SHOW CREATE TABLE " + QuoteName(name, true)))
        return Error {"SHOW CREATE TABLE failed: " + connection.ErrorText()};
    auto result = connection.StoreResult();
    if (!result)
        return Error {"SHOW CREATE TABLE gave no result: " + connection.ErrorText()};
    std::string text;
    RowView row;
    if (result->FetchRow(row) && row.count > 1 && !row.isNull(1))
        text = OnOneLine(row.value(1));
    if (text.size() > kCreateTable.size() && text.compare(0, kCreateTable.size(), kCreateTable) == 0)
        text.replace(0, kCreateTable.size(), "CREATE TABLE IF NOT EXISTS");
    return text;
}

Result<std::string> RebuildTableDefinition(Connection& connection, std::string_view name, std::string_view tableType,
    const std::vector<FieldInfo>& columns, bool quoting)
{
    std::string sql = "CREATE TABLE IF NOT EXISTS " + QuoteName(name, quoting) + "(";
    std::string primaryKey;
    std::size_t rendered = 0;
    std::string type;
    for (const FieldInfo& column : columns) {
        bool quotedDefault = false;
        if (!TypeText(connection, name, column, quoting, type, quotedDefault))
            continue;
        const std::string columnName = QuoteName(column.name, quoting);
        std::string clause = columnName + " " + type;
        clause += (column.flags & FieldFlag::NotNull) ? "NOT NULL " : "NULL ";
        if (column.flags & FieldFlag::AutoIncrement) {
            clause += "AUTO_INCREMENT ";
        } else if (column.def && !column.def->empty()) {
            clause += "DEFAULT ";
            if (quotedDefault && *column.def != "NULL") {
                // Escaped, so that a default holding an apostrophe cannot end the literal.
                clause += '\'';
                connection.AppendEscaped(clause, *column.def);
                clause += '\'';
            } else {
                clause += *column.def;
            }
            clause += ' ';
        }
        if (!clause.empty() && clause.back() == ' ')
            clause.pop_back();
        sql += clause;
        sql += ", ";
        ++rendered;
        if (column.flags & FieldFlag::PrimaryKey) {
            if (!primaryKey.empty())
                primaryKey += ", ";
            primaryKey += columnName;
        }
    }
    if (rendered == 0)
        return Error {"No column of the table " + std::string(name) + " can be described"};
    sql.resize(sql.size() - 2);
    if (!primaryKey.empty())
        sql += ", PRIMARY KEY (" + primaryKey + ")";
    sql += ")";
    if (!tableType.empty()) {
        sql += "TYPE=";
        sql += tableType;
    }
    return sql;
}

Result<std::string> GetTableDefinition(Connection& connection, std::string_view name, std::string_view tableType,
    const std::vector<FieldInfo>& columns, bool quoting, bool useShowCreate)
{
    Result<std::string> definition = useShowCreate
        ? ReadTableDefinition(connection, name)
        : RebuildTableDefinition(connection, name, tableType, columns, quoting);
    if (definition && !definition->empty() && definition->back() == ';')
        definition->pop_back();
    return definition;
}

TableStatus ReadTableStatus(Connection& connection, std::string_view name)
{
    TableStatus status;
    if (!connection.Query("SHOW TABLE STATUS LIKE '" + LikeLiteral(name) + "'"))
        return status;
    std::unique_ptr<ResultSet> result = connection.StoreResult();
    RowView row;
    if (!result || !result->FetchRow(row) || row.count < 2)
        return status;
    status.type = std::string(row.value(1));
    const std::vector<FieldInfo>& fields = result->Fields();
    for (std::size_t i = 0; i < fields.size() && i < row.count; ++i) {
        if (fields[i].name != "Rows" || row.isNull(i))
            continue;
        std::uint64_t rows = 0;
        for (char c : row.value(i)) {
            if (c < '0' || c > '9' || rows > UINT64_MAX / 10 - 9)
                return status;
            rows = rows * 10 + static_cast<std::uint64_t>(c - '0');
        }
        status.rowsEstimate = rows;
    }
    return status;
}

} // namespace kelvanto
