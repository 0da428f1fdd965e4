#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kelvanto
{

// The row count and content checksum of one table as a dump renders its rows: the sum
// (modulo 2^64) of the 64-bit xxHash (XXH3) of each row's rendered values "(...)". A sum
// does not depend on the order the server returns the rows in, so a restored copy read
// back the same way gives the same checksum.
class RowTally
{
public:
    void Add(std::string_view renderedRow);
    void Reset() { *this = RowTally(); }

    std::uint64_t rows() const { return m_rows; }
    std::uint64_t checksum() const { return m_sum; }
    // The checksum as 16 lowercase hexadecimal digits.
    std::string ChecksumText() const;

private:
    std::uint64_t m_rows = 0;
    std::uint64_t m_sum = 0;
};

// A 64-bit checksum as 16 lowercase hexadecimal digits.
std::string ChecksumText(std::uint64_t checksum);

} // namespace kelvanto
