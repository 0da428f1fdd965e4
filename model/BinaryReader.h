#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace kelvanto
{

// Reads little-endian integers and key-scrambled strings from a byte buffer.
//
// The first failed read (too few bytes left, a negative length or count, or one larger
// than the bytes remaining) makes the reader fail for good: that read and every later
// one returns false and yields zero or empty values, and error() tells what happened
// and where. A length is checked against the bytes remaining before anything is allocated.
class BinaryReader
{
public:
    explicit BinaryReader(std::string_view bytes);
    // The reader only views its bytes: a temporary string would be gone before the first read.
    explicit BinaryReader(std::string&&) = delete;

    bool readU8(std::uint8_t& value);
    bool readU16(std::uint16_t& value);
    bool readU32(std::uint32_t& value);
    bool readI32(std::int32_t& value);
    // An i32 byte count, then the bytes; each byte is XOR-ed with key.
    bool readString(std::string& text, std::uint8_t key);
    // An i32 element count of a list whose elements take at least minElementSize bytes each.
    bool readCount(std::int32_t& count, std::size_t minElementSize = 1);

    bool ok() const { return m_error.empty(); }
    const std::string& error() const { return m_error; }
    std::size_t position() const { return m_position; }
    std::size_t remaining() const { return m_bytes.size() - m_position; }
    bool atEnd() const { return m_position == m_bytes.size(); }

private:
    bool take(std::size_t size, const char* what);
    void fail(std::string message);

    std::string_view m_bytes;
    std::size_t m_position = 0;
    std::string m_error;
};

} // namespace kelvanto
