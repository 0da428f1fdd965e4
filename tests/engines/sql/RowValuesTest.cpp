#include "engines/sql/RowValues.h"

#include "tests/support/FakeConnection.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace kelvanto
{
namespace
{

using Value = std::optional<std::string>;

FieldInfo Column(const char* name, int type, unsigned flags = 0, std::optional<std::string> def = std::nullopt)
{
    FieldInfo field;
    field.name = name;
    field.type = type;
    field.flags = flags;
    field.def = std::move(def);
    return field;
}

// Holds the storage a RowView points into.
class Row
{
public:
    explicit Row(std::vector<Value> values)
        : m_values(std::move(values))
    {
        for (const auto& value : m_values) {
            m_pointers.push_back(value ? value->data() : nullptr);
            m_lengths.push_back(value ? value->size() : 0);
        }
    }
    RowView view() const { return RowView {m_pointers.data(), m_lengths.data(), m_values.size()}; }

private:
    std::vector<Value> m_values;
    std::vector<const char*> m_pointers;
    std::vector<unsigned long> m_lengths;
};

std::string Render(const std::vector<FieldInfo>& columns, std::vector<Value> values)
{
    test::FakeConnection connection;
    Row row(std::move(values));
    std::string out;
    std::string error;
    EXPECT_TRUE(RenderRowValues(row.view(), columns, connection, out, &error)) << error;
    return out;
}

TEST(RowValues, RendersMixedRowWithNullNumberEscapedTextEmptyTextAndDate)
{
    const std::vector<FieldInfo> columns = {Column("a", FieldType::Long), Column("b", FieldType::Long),
        Column("c", FieldType::VarString), Column("d", FieldType::VarString), Column("e", FieldType::Date)};
    EXPECT_EQ(
        Render(columns, {std::nullopt, "5", "O'Brien", "", "2007-01-02"}), "(NULL,5,'O\\'Brien','','2007-01-02')");
}

struct SingleCase
{
    const char* label;
    FieldInfo column;
    Value value;
    std::string expected;
};

TEST(RowValues, OneColumnPerTypeRule)
{
    using namespace std::string_literals;
    const unsigned notNull = FieldFlag::NotNull;
    const SingleCase cases[] = {
        {"decimal quoted", Column("x", FieldType::NewDecimal), "1.50", "('1.50')"},
        {"old decimal quoted", Column("x", FieldType::Decimal), "1.50", "('1.50')"},
        {"double bare", Column("x", FieldType::Double), "2.5e-07", "(2.5e-07)"},
        {"bigint bare", Column("x", FieldType::LongLong), "-9223372036854775808", "(-9223372036854775808)"},
        {"empty number is NULL", Column("x", FieldType::Long), "", "(NULL)"},
        {"datetime quoted unescaped", Column("x", FieldType::DateTime), "2007-01-02 03:04:05",
            "('2007-01-02 03:04:05')"},
        {"null date", Column("x", FieldType::Date), std::nullopt, "(NULL)"},
        {"empty text", Column("x", FieldType::Blob), "", "('')"},
        {"blob bytes escaped", Column("x", FieldType::Blob), "a\0b\\c\nd\"\x1a"s, "('a\\0b\\\\c\\nd\\\"\\Z')"},
        {"text keeps inner blanks", Column("x", FieldType::String), " padded ", "(' padded ')"},
        {"geometry escaped and quoted", Column("x", FieldType::Geometry), "\0\0\0\0\x01\x01'"s,
            "('\\0\\0\\0\\0\x01\x01\\'')"},
        {"json escaped and quoted", Column("x", FieldType::Json), R"({"k": "it's"})", R"(('{\"k\": \"it\'s\"}'))"},
        {"enum", Column("x", FieldType::Enum), "G", "('G')"},
        {"bit value escaped", Column("x", FieldType::Bit), "\x01"s, "('\x01')"},
        {"bit zero byte", Column("x", FieldType::Bit), "\0"s, "('\\0')"},
        {"bit null nullable", Column("x", FieldType::Bit), std::nullopt, "(NULL)"},
        {"bit null not null uses default", Column("x", FieldType::Bit, notNull, "b'1'"), std::nullopt, "(b'1')"},
        {"bit null not null without default", Column("x", FieldType::Bit, notNull), std::nullopt, "('\\0')"},
        {"bit empty with NULL default", Column("x", FieldType::Bit, 0, "NULL"), "", "('\\0')"},
        {"bit empty with empty default", Column("x", FieldType::Bit, 0, ""), "", "('\\0')"},
        // Longer than the room a row makes from its values' lengths: the text grows mid-row.
        {"bit null not null with a long default", Column("x", FieldType::Bit, notNull, "b'10101010101010101010'"),
            std::nullopt, "(b'10101010101010101010')"},
        {"number with blank ends trimmed", Column("x", FieldType::Long), " \t42\n", "(42)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(Render({c.column}, {c.value}), c.expected);
    }
}

TEST(RowValues, AppendsToWhatTheBufferHolds)
{
    const std::vector<FieldInfo> columns = {Column("a", FieldType::Long), Column("b", FieldType::VarString)};
    test::FakeConnection connection;
    std::string out = "INSERT INTO `t` VALUES ";
    Row first({"1", "x"});
    Row second({"2", std::nullopt});
    ASSERT_TRUE(RenderRowValues(first.view(), columns, connection, out));
    out += ',';
    ASSERT_TRUE(RenderRowValues(second.view(), columns, connection, out));
    EXPECT_EQ(out, "INSERT INTO `t` VALUES (1,'x'),(2,NULL)");
    // A row after one whose text grew past its room, and values after the growth.
    const std::vector<FieldInfo> wide
        = {Column("a", FieldType::Bit, FieldFlag::NotNull, "b'" + std::string(300, '1') + "'"),
            Column("b", FieldType::VarString), Column("c", FieldType::Long)};
    Row third({std::nullopt, "it's", "7"});
    out = "x";
    ASSERT_TRUE(RenderRowValues(third.view(), wide, connection, out));
    EXPECT_EQ(out, "x(b'" + std::string(300, '1') + "','it\\'s',7)");
}

TEST(RowValues, NoColumnsGiveEmptyParentheses)
{
    EXPECT_EQ(Render({}, {}), "()");
}

TEST(RowValues, RejectsUnknownTypesAndMismatchedRowsNamingTheProblem)
{
    test::FakeConnection connection;
    std::string error;
    std::string out;
    Row unknownRow({"1", "2"});
    ASSERT_FALSE(RenderRowValues(
        unknownRow.view(), {Column("id", FieldType::Long), Column("mystery", 99)}, connection, out, &error));
    EXPECT_NE(error.find("mystery"), std::string::npos) << error;
    EXPECT_NE(error.find("99"), std::string::npos) << error;

    error.clear();
    Row shortRow({"1"});
    EXPECT_FALSE(RenderRowValues(
        shortRow.view(), {Column("a", FieldType::Long), Column("b", FieldType::Long)}, connection, out, &error));
    EXPECT_FALSE(error.empty());
}

} // namespace
} // namespace kelvanto
