#include "engines/sql/RowValues.h"

#include "model/Text.h"

#include <algorithm>
#include <cstring>

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

bool IsBlank(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// The text of one row, written through a pointer into `out`: the row's room is made once,
// from the lengths of its values, instead of growing the string a character at a time.
class RowText
{
public:
    RowText(std::string& out, std::size_t room)
        : m_out(out)
        , m_start(out.size())
    {
        Grow(room);
    }

    // Makes room for n more bytes.
    void Need(std::size_t n)
    {
        if (static_cast<std::size_t>(m_end - m_cursor) < n) [[unlikely]]
            Grow(n);
    }
    void Put(char c) { *m_cursor++ = c; }
    void Put(std::string_view text)
    {
        if (!text.empty())
            std::memcpy(m_cursor, text.data(), text.size());
        m_cursor += text.size();
    }
    std::size_t size() const { return static_cast<std::size_t>(m_cursor - (m_out.data() + m_start)); }
    void Drop(std::size_t n) { m_cursor -= n; }
    // Gives `out` its final length.
    void Finish() { m_out.resize(static_cast<std::size_t>(m_cursor - m_out.data())); }

private:
    // Out of line: the room made for the row leaves it for values longer than their lengths said.
    [[gnu::noinline]] void Grow(std::size_t n)
    {
        const std::size_t used = m_cursor ? static_cast<std::size_t>(m_cursor - m_out.data()) : m_start;
        m_out.resize(std::max(m_out.size() + n, used + n));
        m_cursor = m_out.data() + used;
        m_end = m_out.data() + m_out.size();
    }

    std::string& m_out;
    std::size_t m_start;
    char* m_cursor = nullptr;
    char* m_end = nullptr;
};

inline void PutBare(RowText& text, std::string_view value)
{
    // Numbers come without blanks; only a value with a blank end is trimmed.
    if (value.empty() || IsBlank(value.front()) || IsBlank(value.back()))
        value = TrimBlanks(value);
    if (value.empty()) {
        text.Need(4);
        text.Put("NULL");
        return;
    }
    text.Need(value.size());
    text.Put(value);
}

void PutNull(RowText& text)
{
    text.Need(4);
    text.Put("NULL");
}

inline void PutEscapedItem(RowText& text, std::string_view value, Connection& connection, std::string& escaped)
{
    escaped.clear();
    connection.AppendEscaped(escaped, value);
    text.Need(escaped.size() + 2);
    text.Put('\'');
    text.Put(escaped);
    text.Put('\'');
    // A large value's buffer is not kept for the life of the thread.
    constexpr std::size_t kKeptBytes = 64 * 1024;
    if (escaped.capacity() > kKeptBytes)
        std::string().swap(escaped);
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
    // Room for every value escaped at its longest, its quotes and separators: one growth of
    // `out` per row at most, and none once it has grown to the table's widest row.
    std::size_t room = 2;
    for (std::size_t i = 0; i < row.count; ++i)
        room += (row.values[i] ? row.lengths[i] * 2 : 0) + 5;
    RowText text(out, room);
    // Escaped values are made here first, so that the connection appends to a string.
    thread_local std::string escaped;
    text.Put('(');
    for (std::size_t i = 0; i < columns.size(); ++i) {
        const FieldInfo& column = columns[i];
        const bool isNull = row.isNull(i);
        const std::string_view value = row.value(i);
        switch (StyleOf(column.type)) {
        case ValueStyle::Bare:
            PutBare(text, isNull ? std::string_view() : value);
            break;
        case ValueStyle::Quoted:
            if (isNull) {
                PutNull(text);
            } else {
                text.Need(value.size() + 2);
                text.Put('\'');
                text.Put(value);
                text.Put('\'');
            }
            break;
        case ValueStyle::Escaped:
            if (isNull)
                PutNull(text);
            else
                PutEscapedItem(text, value, connection, escaped);
            break;
        case ValueStyle::Bit:
            if (isNull && !(column.flags & FieldFlag::NotNull)) {
                PutNull(text);
            } else if (!value.empty()) {
                PutEscapedItem(text, value, connection, escaped);
            } else if (column.def && !column.def->empty() && *column.def != "NULL") {
                PutBare(text, *column.def);
            } else {
                text.Need(4);
                text.Put("'\\0'");
            }
            break;
        case ValueStyle::Unknown:
            text.Finish();
            if (error)
                *error = "The column " + column.name + " has the type code " + std::to_string(column.type)
                    + ", whose values cannot be written";
            return false;
        }
        text.Need(2);
        text.Put(',');
    }
    if (text.size() > 1)
        text.Drop(1);
    text.Need(1);
    text.Put(')');
    text.Finish();
    return true;
}

} // namespace kelvanto
