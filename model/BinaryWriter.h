#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kelvanto
{

// Appends little-endian integers and key-scrambled strings to a byte buffer.
// Integers are laid out byte by byte, so the result does not depend on the host.
class BinaryWriter
{
public:
    void writeU8(std::uint8_t value);
    void writeU16(std::uint16_t value);
    void writeU32(std::uint32_t value);
    void writeI32(std::int32_t value);
    // An i32 byte count, then the bytes each XOR-ed with key.
    void writeString(std::string_view text, std::uint8_t key);
    // An i32 element count of a list.
    void writeCount(std::size_t count);

    // True when a string or list was too long for its i32 count; the bytes are then unusable.
    bool overflowed() const { return m_overflowed; }
    const std::string& bytes() const& { return m_bytes; }
    std::string take() && { return std::move(m_bytes); }

private:
    std::string m_bytes;
    bool m_overflowed = false;
};

} // namespace kelvanto
