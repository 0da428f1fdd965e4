#include "engines/sql/RowTally.h"

#include <xxhash.h>

#include <cstdio>

namespace kelvanto
{

void RowTally::Add(std::string_view renderedRow)
{
    ++m_rows;
    // Unsigned arithmetic wraps: the sum is taken modulo 2^64.
    m_sum += XXH3_64bits(renderedRow.data(), renderedRow.size());
}

std::string RowTally::ChecksumText() const
{
    return kelvanto::ChecksumText(m_sum);
}

std::string ChecksumText(std::uint64_t checksum)
{
    char text[17] = {};
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(checksum));
    return text;
}

} // namespace kelvanto
