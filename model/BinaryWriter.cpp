#include "model/BinaryWriter.h"

#include <limits>

namespace kelvanto
{

void BinaryWriter::writeU8(std::uint8_t value)
{
    m_bytes.push_back(static_cast<char>(value));
}

void BinaryWriter::writeU16(std::uint16_t value)
{
    writeU8(static_cast<std::uint8_t>(value & 0xFFu));
    writeU8(static_cast<std::uint8_t>((value >> 8) & 0xFFu));
}

void BinaryWriter::writeU32(std::uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8)
        writeU8(static_cast<std::uint8_t>((value >> shift) & 0xFFu));
}

void BinaryWriter::writeI32(std::int32_t value)
{
    writeU32(static_cast<std::uint32_t>(value));
}

void BinaryWriter::writeCount(std::size_t count)
{
    if (count > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) {
        m_overflowed = true;
        count = 0;
    }
    writeI32(static_cast<std::int32_t>(count));
}

void BinaryWriter::writeString(std::string_view text, std::uint8_t key)
{
    if (text.size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) {
        m_overflowed = true;
        text = {};
    }
    writeCount(text.size());
    for (char c : text)
        writeU8(static_cast<std::uint8_t>(static_cast<std::uint8_t>(c) ^ key));
}

} // namespace kelvanto
