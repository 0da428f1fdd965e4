#include "model/BinaryReader.h"

namespace kelvanto
{

BinaryReader::BinaryReader(std::string_view bytes)
    : m_bytes(bytes)
{ }

void BinaryReader::fail(std::string message)
{
    if (m_error.empty())
        m_error = std::move(message);
}

// Checks that size more bytes are there; on success the caller reads them from m_position.
bool BinaryReader::take(std::size_t size, const char* what)
{
    if (!ok())
        return false;
    if (size > remaining()) {
        fail("the data ends early: " + std::string(what) + " at byte " + std::to_string(m_position) + " needs "
            + std::to_string(size) + " bytes, " + std::to_string(remaining()) + " are left");
        return false;
    }
    return true;
}

bool BinaryReader::readU8(std::uint8_t& value)
{
    value = 0;
    if (!take(1, "a byte"))
        return false;
    value = static_cast<std::uint8_t>(m_bytes[m_position]);
    ++m_position;
    return true;
}

bool BinaryReader::readU16(std::uint16_t& value)
{
    value = 0;
    if (!take(2, "a 16-bit number"))
        return false;
    for (int i = 1; i >= 0; --i)
        value = static_cast<std::uint16_t>((value << 8) | static_cast<std::uint8_t>(m_bytes[m_position + i]));
    m_position += 2;
    return true;
}

bool BinaryReader::readU32(std::uint32_t& value)
{
    value = 0;
    if (!take(4, "a 32-bit number"))
        return false;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | static_cast<std::uint8_t>(m_bytes[m_position + i]);
    m_position += 4;
    return true;
}

bool BinaryReader::readI32(std::int32_t& value)
{
    std::uint32_t raw = 0;
    const bool read = readU32(raw);
    value = static_cast<std::int32_t>(raw);
    return read;
}

bool BinaryReader::readString(std::string& text, std::uint8_t key)
{
    text.clear();
    const std::size_t start = m_position;
    std::int32_t length = 0;
    if (!readI32(length))
        return false;
    if (length < 0) {
        fail("invalid string length " + std::to_string(length) + " at byte " + std::to_string(start));
        return false;
    }
    if (static_cast<std::size_t>(length) > remaining()) {
        fail("string length " + std::to_string(length) + " at byte " + std::to_string(start) + " is larger than the "
            + std::to_string(remaining()) + " bytes left");
        return false;
    }
    text.assign(m_bytes.substr(m_position, static_cast<std::size_t>(length)));
    for (char& c : text)
        c = static_cast<char>(static_cast<std::uint8_t>(c) ^ key);
    m_position += static_cast<std::size_t>(length);
    return true;
}

bool BinaryReader::readCount(std::int32_t& count, std::size_t minElementSize)
{
    const std::size_t start = m_position;
    if (!readI32(count))
        return false;
    if (count < 0) {
        fail("invalid count " + std::to_string(count) + " at byte " + std::to_string(start));
        count = 0;
        return false;
    }
    if (minElementSize == 0)
        minElementSize = 1;
    if (static_cast<std::size_t>(count) > remaining() / minElementSize) {
        fail("count " + std::to_string(count) + " at byte " + std::to_string(start) + " needs more than the "
            + std::to_string(remaining()) + " bytes left");
        count = 0;
        return false;
    }
    return true;
}

} // namespace kelvanto
