#include "engines/RowValues.h"

#include "model/Text.h"

namespace kelvanto
{

namespace
{

enum class ValueStyle {
    Bare, // numbers: as they come
    Quoted, // decimals, dates and times: in apostrophes, not escaped
    Escaped, // text, binary, JSON and geometry: escaped and in apostrophes
    Bit,
    Unknown,
};

ValueStyle StyleOf(int type)
{
    switch (type) {
    case FieldType::Tiny:
    case FieldType::Short:
    case FieldType::Long:
    case FieldType::Float:
    case FieldType::Double:
    case FieldType::Null:
    case FieldType::LongLong:
    case FieldType::Int24:
        return ValueStyle::Bare;
    case FieldType::Decimal:
    case FieldType::NewDecimal:
    case FieldType::Timestamp:
    case FieldType::Date:
    case FieldType::Time:
    case FieldType::DateTime:
    case FieldType::Year:
    case FieldType::NewDate:
        return ValueStyle::Quoted;
    case FieldType::VarChar:
    case FieldType::Json:
    case FieldType::Enum:
    case FieldType::Set:
    case FieldType::TinyBlob:
    case FieldType::MediumBlob:
    case FieldType::LongBlob:
    case FieldType::Blob:
    case FieldType::VarString:
    case FieldType::String:
    // Geometry values are binary (WKB): written bare they would break the statement.
    case FieldType::Geometry:
        return ValueStyle::Escaped;
    case FieldType::Bit:
        return ValueStyle::Bit;
    default:
        return ValueStyle::Unknown;
    }
}

void AppendBare(std::string& out, std::string_view value)
{
    const std::string_view trimmed = TrimBlanks(value);
    if (trimmed.empty())
        out += "NULL";
    else
        out += trimmed;
}

void AppendEscapedItem(std::string& out, std::string_view value, Connection& connection)
{
    if (value.empty()) {
        out += "''";
        return;
    }
    out += '\'';
    connection.AppendEscaped(out, value);
    out += '\'';
}

} // namespace

bool RenderRowValues(const RowView& row, const std::vector<FieldInfo>& columns, Connection& connection,
    std::string& out, std::string* error)
{
    if (row.count != columns.size()) {
        if (error)
            *error = "The row has " + std::to_string(row.count) + " values for " + std::to_string(columns.size())
                + " columns";
        return false;
    }
    const std::size_t start = out.size();
    out += '(';
    for (std::size_t i = 0; i < columns.size(); ++i) {
        const FieldInfo& column = columns[i];
        const bool isNull = row.isNull(i);
        const std::string_view value = row.value(i);
        switch (StyleOf(column.type)) {
        case ValueStyle::Bare:
            AppendBare(out, isNull ? std::string_view() : value);
            break;
        case ValueStyle::Quoted:
            if (isNull) {
                out += "NULL";
            } else {
                out += '\'';
                out += value;
                out += '\'';
            }
            break;
        case ValueStyle::Escaped:
            if (isNull)
                out += "NULL";
            else
                AppendEscapedItem(out, value, connection);
            break;
        case ValueStyle::Bit:
            if (isNull && !(column.flags & FieldFlag::NotNull)) {
                out += "NULL";
            } else if (!value.empty()) {
                AppendEscapedItem(out, value, connection);
            } else if (column.def && !column.def->empty() && *column.def != "NULL") {
                AppendBare(out, *column.def);
            } else {
                out += "'\\0'";
            }
            break;
        case ValueStyle::Unknown:
            if (error)
                *error = "The column " + column.name + " has the type code " + std::to_string(column.type)
                    + ", whose values cannot be written";
            return false;
        }
        out += ',';
    }
    if (out.size() - start > 1)
        out.pop_back();
    out += ')';
    return true;
}

} // namespace kelvanto
