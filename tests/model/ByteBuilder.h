#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace kelvanto::test
{

// Lays out expected file bytes by hand, one byte at a time, from the layout tables, so
// that the tests do not check the writer against itself.
class ByteBuilder
{
public:
    ByteBuilder& u8(unsigned value)
    {
        m_bytes.push_back(static_cast<char>(value & 0xFFu));
        return *this;
    }
    ByteBuilder& u8s(std::initializer_list<unsigned> values)
    {
        for (unsigned value : values)
            u8(value);
        return *this;
    }
    ByteBuilder& zeros(std::size_t count)
    {
        m_bytes.append(count, '\0');
        return *this;
    }
    ByteBuilder& u16(unsigned value) { return u8(value).u8(value >> 8); }
    ByteBuilder& u32(std::uint32_t value) { return u8(value).u8(value >> 8).u8(value >> 16).u8(value >> 24); }
    ByteBuilder& i32(std::int32_t value) { return u32(static_cast<std::uint32_t>(value)); }
    // A length-prefixed string whose bytes are XOR-ed with key.
    ByteBuilder& str(std::string_view text, unsigned key)
    {
        i32(static_cast<std::int32_t>(text.size()));
        for (char c : text)
            u8(static_cast<unsigned>(static_cast<unsigned char>(c)) ^ key);
        return *this;
    }
    ByteBuilder& stamp(std::initializer_list<std::int32_t> fields)
    {
        for (std::int32_t field : fields)
            i32(field);
        return *this;
    }
    ByteBuilder& raw(std::string_view bytes)
    {
        m_bytes.append(bytes);
        return *this;
    }

    const std::string& bytes() const { return m_bytes; }
    std::size_t size() const { return m_bytes.size(); }

private:
    std::string m_bytes;
};

} // namespace kelvanto::test
