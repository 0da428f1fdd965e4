#include "engines/sql/ColumnSelection.h"

#include "mysql/SqlNames.h"

#include <cctype>

namespace kelvanto
{

namespace
{

bool HasWord(std::string_view text, std::string_view word)
{
    std::size_t at = 0;
    while (at < text.size()) {
        while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at])))
            ++at;
        std::size_t end = at;
        while (end < text.size() && !std::isspace(static_cast<unsigned char>(text[end])))
            ++end;
        if (end - at == word.size()) {
            bool same = true;
            for (std::size_t i = 0; i < word.size() && same; ++i)
                same = std::toupper(static_cast<unsigned char>(text[at + i])) == word[i];
            if (same)
                return true;
        }
        at = end;
    }
    return false;
}

} // namespace

std::string ColumnSelection::SelectList() const
{
    if (!byName)
        return "*";
    std::string list;
    for (const std::string& column : columns) {
        if (!list.empty())
            list += ',';
        list += QuoteName(column, true);
    }
    return list;
}

std::string ColumnSelection::InsertColumnList(bool backquote) const
{
    if (!byName)
        return {};
    std::string list = "(";
    for (std::size_t i = 0; i < columns.size(); ++i) {
        if (i > 0)
            list += ',';
        list += QuoteName(columns[i], backquote);
    }
    list += ')';
    return list;
}

bool IsGeneratedColumn(std::string_view extra)
{
    return HasWord(extra, "VIRTUAL") || HasWord(extra, "STORED") || HasWord(extra, "PERSISTENT");
}

bool IsInvisibleColumn(std::string_view extra)
{
    return HasWord(extra, "INVISIBLE");
}

ColumnSelection ReadColumnSelection(
    Connection& connection, std::string_view name, const ServerFeatures& features, ColumnPurpose purpose)
{
    ColumnSelection selection;
    if (!features.columnExtras || !connection.Query("SHOW COLUMNS FROM " + QuoteName(name, true)))
        return selection;
    std::unique_ptr<ResultSet> result = connection.StoreResult();
    if (!result)
        return selection;
    // Field, Type, Null, Key, Default, Extra
    constexpr std::size_t kField = 0;
    constexpr std::size_t kExtra = 5;
    bool special = false;
    std::vector<std::string> stored;
    RowView row;
    while (result->FetchRow(row)) {
        if (row.count <= kExtra || row.isNull(kField))
            return selection;
        const std::string_view extra = row.value(kExtra);
        if (purpose == ColumnPurpose::Copy && IsGeneratedColumn(extra)) {
            special = true;
            continue;
        }
        special = special || IsInvisibleColumn(extra);
        stored.emplace_back(row.value(kField));
    }
    // A table of generated columns only has nothing to select by name; "*" reads it as before.
    if (special && !stored.empty()) {
        selection.byName = true;
        selection.columns = std::move(stored);
    }
    return selection;
}

} // namespace kelvanto
