#include "engines/sql/MultiRowStatement.h"

namespace kelvanto
{

void MultiRowStatement::Start(std::string_view prefix)
{
    m_text.assign(prefix);
    m_prefixSize = prefix.size();
    m_pendingRows = 0;
    m_firstOversized = 0;
}

std::string_view MultiRowStatement::Pending() const
{
    if (m_pendingRows == 0)
        return {};
    std::string_view pending(m_text);
    if (!pending.empty() && pending.back() == ',')
        pending.remove_suffix(1);
    return pending;
}

void MultiRowStatement::PendingSent()
{
    m_text.resize(m_prefixSize);
    m_pendingRows = 0;
}

void MultiRowStatement::DropRows()
{
    m_text.resize(m_prefixSize);
    m_pendingRows = 0;
}

std::string OversizedRowsLine(const std::string& table, std::int64_t maxInsertBytes, std::size_t firstStatement)
{
    return "Records of the table " + table + " are longer than INSERT statements of " + std::to_string(maxInsertBytes)
        + " bytes (maxInsertBytes): each of them went alone into a statement of its own, the first of "
        + std::to_string(firstStatement) + " bytes";
}

} // namespace kelvanto
