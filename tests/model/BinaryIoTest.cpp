#include "model/BinaryReader.h"
#include "model/BinaryWriter.h"

#include "tests/model/ByteBuilder.h"

#include <gtest/gtest.h>

namespace kelvanto
{
namespace
{

using test::ByteBuilder;

TEST(BinaryIo, LittleEndianAndScrambledStrings)
{
    BinaryWriter writer;
    writer.writeU8(0xAB);
    writer.writeU16(0x1234);
    writer.writeU32(0xCABDF9E0u);
    writer.writeI32(-2);
    writer.writeString("Ab\xff", 0x6E);
    writer.writeString("", 0x6E);
    const std::string expected("\xAB\x34\x12\xE0\xF9\xBD\xCA\xFE\xFF\xFF\xFF\x03\x00\x00\x00\x2F\x0C\x91\0\0\0\0", 22);
    EXPECT_EQ(writer.bytes(), expected);

    BinaryReader reader(expected);
    std::uint8_t u8 = 0;
    std::uint16_t u16 = 0;
    std::uint32_t u32 = 0;
    std::int32_t i32 = 0;
    std::string text = "old";
    EXPECT_TRUE(reader.readU8(u8) && reader.readU16(u16) && reader.readU32(u32) && reader.readI32(i32));
    EXPECT_EQ(u8, 0xAB);
    EXPECT_EQ(u16, 0x1234);
    EXPECT_EQ(u32, 0xCABDF9E0u);
    EXPECT_EQ(i32, -2);
    EXPECT_TRUE(reader.readString(text, 0x6E));
    EXPECT_EQ(text, "Ab\xff");
    EXPECT_TRUE(reader.readString(text, 0x6E));
    EXPECT_EQ(text, "");
    EXPECT_TRUE(reader.atEnd());
    EXPECT_TRUE(reader.ok());
}

struct BadRead
{
    const char* name;
    std::string bytes;
    bool (*read)(BinaryReader&);
};

TEST(BinaryIo, EveryBadReadFailsBeforeAllocatingAndStaysFailed)
{
    std::string text;
    std::int32_t count = 0;
    std::uint32_t u32 = 0;
    std::uint16_t u16 = 0;
    std::uint8_t u8 = 0;
    const std::vector<BadRead> rows = {
        {"u8 of nothing", "",
            [](BinaryReader& r) {
                std::uint8_t v;
                return r.readU8(v);
            }},
        {"u16 of one byte", "\x01",
            [](BinaryReader& r) {
                std::uint16_t v;
                return r.readU16(v);
            }},
        {"u32 of three bytes", "\x01\x02\x03",
            [](BinaryReader& r) {
                std::uint32_t v;
                return r.readU32(v);
            }},
        {"string length cut", "\x01\x00",
            [](BinaryReader& r) {
                std::string s;
                return r.readString(s, 0);
            }},
        {"negative string length", ByteBuilder().i32(-1).bytes(),
            [](BinaryReader& r) {
                std::string s;
                return r.readString(s, 0);
            }},
        {"string past the end", ByteBuilder().i32(4).raw("abc").bytes(),
            [](BinaryReader& r) {
                std::string s;
                return r.readString(s, 0);
            }},
        {"huge string length", ByteBuilder().i32(0x7FFFFFFF).raw("abc").bytes(),
            [](BinaryReader& r) {
                std::string s;
                return r.readString(s, 0);
            }},
        {"negative count", ByteBuilder().i32(-3).zeros(64).bytes(),
            [](BinaryReader& r) {
                std::int32_t c;
                return r.readCount(c);
            }},
        {"count past the end", ByteBuilder().i32(5).zeros(4).bytes(),
            [](BinaryReader& r) {
                std::int32_t c;
                return r.readCount(c);
            }},
        {"count times element size past the end", ByteBuilder().i32(3).zeros(8).bytes(),
            [](BinaryReader& r) {
                std::int32_t c;
                return r.readCount(c, 3);
            }},
    };
    for (const BadRead& row : rows) {
        SCOPED_TRACE(row.name);
        BinaryReader reader(row.bytes);
        EXPECT_FALSE(row.read(reader));
        EXPECT_FALSE(reader.ok());
        EXPECT_FALSE(reader.error().empty());
        // Once failed, later reads fail too and give empty values, even with bytes to spare.
        text = "x";
        u8 = 9;
        EXPECT_FALSE(reader.readU8(u8));
        EXPECT_EQ(u8, 0);
        EXPECT_FALSE(reader.readString(text, 0));
        EXPECT_TRUE(text.empty());
        EXPECT_FALSE(reader.readCount(count));
        EXPECT_EQ(count, 0);
        EXPECT_FALSE(reader.readU16(u16) || reader.readU32(u32));
    }
}

TEST(BinaryIo, CountsAndLengthsAtTheLimitAreAccepted)
{
    const std::string bytes = ByteBuilder().i32(2).zeros(6).i32(3).raw("abc").bytes();
    BinaryReader exact(bytes);
    std::int32_t count = -1;
    std::string text;
    EXPECT_TRUE(exact.readCount(count, 3));
    EXPECT_EQ(count, 2);
    std::uint8_t skip = 0;
    for (int i = 0; i < 6; ++i)
        exact.readU8(skip);
    EXPECT_TRUE(exact.readString(text, 0));
    EXPECT_EQ(text, "abc");
    EXPECT_TRUE(exact.atEnd());
}

} // namespace
} // namespace kelvanto
