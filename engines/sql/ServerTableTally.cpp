#include "engines/sql/ServerTableTally.h"

#include "engines/run/WatchedConnection.h"
#include "engines/sql/ColumnSelection.h"
#include "engines/sql/RowValues.h"
#include "mysql/SqlNames.h"

#include <algorithm>
#include <cctype>
#include <memory>

namespace kelvanto
{

namespace
{

// A character set name as servers name them; anything else never reaches a SET line.
bool IsPlainName(const std::string& name)
{
    return !name.empty() && name.size() <= 64
        && std::all_of(name.begin(), name.end(), [](unsigned char c) { return std::isalnum(c) || c == '_'; });
}

std::string FirstValue(Connection& connection, std::string_view sql)
{
    if (!connection.Query(sql))
        return {};
    std::unique_ptr<ResultSet> result = connection.StoreResult();
    RowView row;
    if (!result || !result->FetchRow(row) || row.count == 0 || row.isNull(0))
        return {};
    return std::string(row.value(0));
}

} // namespace

ServerTableTally::ServerTableTally(Connection& connection)
    : m_connection(connection)
    , m_features(ServerFeatures::ForVersion(connection.ServerVersion()))
    , m_defaultCharacterSet(FirstValue(connection, "SELECT @@character_set_client"))
    , m_characterSet(m_defaultCharacterSet)
{ }

Result<RowTally> ServerTableTally::Tally(
    const std::string& database, const std::string& table, const std::string& characterSet)
{
    const std::string wanted = characterSet.empty() ? m_defaultCharacterSet : characterSet;
    if (wanted != m_characterSet) {
        if (!IsPlainName(wanted))
            return Error {"the character set \"" + wanted + "\" is not a name"};
        if (!m_connection.Query("SET NAMES '" + wanted + "'"))
            return Error {"SET NAMES '" + wanted + "'" + ServerErrorCause(m_connection)};
        m_characterSet = wanted;
    }
    if (!m_connection.SelectDatabase(database))
        return Error {"USE " + QuoteName(database, true) + ServerErrorCause(m_connection)};
    const ColumnSelection selection = ReadColumnSelection(m_connection, table, m_features);
    const std::string select = "SELECT " + selection.SelectList() + " FROM " + QuoteName(table, true);
    if (!m_connection.Query(select))
        return Error {select + ServerErrorCause(m_connection)};
    std::unique_ptr<ResultSet> result = m_connection.UseResult();
    if (!result)
        return Error {select + ServerErrorCause(m_connection)};
    RowTally tally;
    std::string rendered;
    std::string renderError;
    RowView row;
    while (result->FetchRow(row)) {
        rendered.clear();
        if (!RenderRowValues(row, result->Fields(), m_connection, rendered, &renderError))
            return Error {renderError};
        tally.Add(rendered);
    }
    if (m_connection.ErrorNumber() != 0)
        return Error {select + ServerErrorCause(m_connection)};
    return tally;
}

} // namespace kelvanto
