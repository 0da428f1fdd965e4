// The export files byte for byte: headers, rows and footers of the four formats, the value
// text rules, the file names and the typed escapes of the export page.
#include "engines/export/ExportWriter.h"
#include "engines/export/ExportFileName.h"
#include "engines/export/TypedEscapes.h"
#include "engines/export/XmlText.h"
#include "tests/engines/backup/BackupToFilesFixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kelvanto::test
{
namespace
{

// The settings the export page fills in when the file type is picked.
ExportSettings Defaults(int fileType)
{
    ExportSettings settings;
    settings.fileType = static_cast<std::uint8_t>(fileType);
    settings.directory = "/exports/";
    if (fileType == 1 || fileType == 4) {
        settings.fieldsTerminatedBy = fileType == 1 ? "," : "\t";
        settings.fieldsEnclosedBy = fileType == 1 ? "\"" : "";
        settings.fieldsEscapedBy = "\\";
        settings.linesTerminatedBy = "\r\n";
        settings.columnNamesOnTop = 1;
    }
    return settings;
}

std::string RowText(
    int fileType, const std::vector<FieldInfo>& columns, const Values& values, std::string_view lineEnd = "\r\n")
{
    FakeConnection connection;
    ExportWriter writer(Defaults(fileType), lineEnd);
    FakeResult result {columns, {values}};
    connection.Answer("SELECT", result);
    connection.Query("SELECT");
    auto rows = connection.UseResult();
    RowView row;
    rows->FetchRow(row);
    std::string text;
    writer.AppendRow(text, row, columns, connection);
    return text;
}

TEST(ExportWriterTest, RowsOfTheFourFormats)
{
    const FieldInfo id = Field("id", FieldType::Long);
    const FieldInfo n = Field("n", FieldType::Long);
    const FieldInfo text = Field("t", FieldType::VarString);
    struct Row
    {
        const char* name;
        int fileType;
        std::vector<FieldInfo> columns;
        Values values;
        std::string expected;
    };
    const Row rows[] = {
        {"CSV: number, NULL, a quote", 1, {id, n, text}, {"1", std::nullopt, "a\"b"}, "\"1\",\"\",\"a\\\"b\"\r\n"},
        {"TEXT: the same row", 4, {id, n, text}, {"1", std::nullopt, "a\"b"}, "1\t\ta\\\"b\r\n"},
        {"leading blank and the text NULL", 1, {text, text, text}, {" x ", "NULL", "null"}, "\"x\",\"\",\"null\"\r\n"},
        {"XML: id and <", 2, {id, text}, {"5", "a<b"}, "<ROW id=\"5\" t=\"a&lt;b\"/>\r\n"},
        {"XML: entities are not doubled, quotes and tabs are escaped", 2, {text, text, text},
            {"&amp;&gt", "say \"hi\"", "a\tb"}, "<ROW t=\"&amp;&gt;\" t=\"say \\&quot;hi\\&quot;\" t=\"a&#9;b\"/>\r\n"},
        {"HTML: blanks, empty, NULL and &amp;", 3, {text, text, n, text}, {"a b", "", std::nullopt, "x&amp;y"},
            "<tr>\r\n<td class='normal' valign='top'>a&nbsp;b</td>\r\n<td class='normal' "
            "valign='top'>&nbsp;</td>\r\n<td class='normal' valign='top'>&nbsp;</td>\r\n<td class='normal' "
            "valign='top'>x&amp;y</td>\r\n</tr>\r\n"},
        {"JSON and geometry are escaped like text", 1, {Field("j", FieldType::Json), Field("g", FieldType::Geometry)},
            {"{\"a\": 1}", std::string("\x01\n\0;", 4)}, "\"{\\\"a\\\": 1}\",\"\x01\\n\\0;\"\r\n"},
        {"XML: line ends are references, which a parser gives back", 2, {id, n}, {"1\r\n2", "3"},
            "<ROW id=\"1&#13;&#10;2\" n=\"3\"/>\r\n"},
        {"XML: controls, U+FFFF and bytes that are not UTF-8 go in base64, named by BASE64 children", 2,
            {id, text, Field("b", FieldType::Blob), n}, {"7", "a\x01", "\xc3", "\xef\xbf\xbf"},
            "<ROW id=\"7\" t=\"YQE=\" b=\"ww==\" n=\"77+/\"><BASE64 AttrName=\"t\"/><BASE64 AttrName=\"b\"/>"
            "<BASE64 AttrName=\"n\"/></ROW>\r\n"},
        {"XML: NUL is escaped first, and Ctrl-Z with it", 2, {text}, {std::string("a\0\x1a", 3)},
            "<ROW t=\"a\\0\\Z\"/>\r\n"},
        {"TEXT: a tab inside a value stays in its column", 4, {text, text}, {"a\tb", "\tlead"}, "a\\tb\t\\tlead\r\n"},
        {"CSV: a tab inside an enclosed value is kept", 1, {text}, {"a\tb"}, "\"a\tb\"\r\n"},
        {"numbers and dates as the server sent them", 1,
            {Field("d", FieldType::NewDecimal), Field("dt", FieldType::DateTime)}, {"1.50", "2007-03-05 00:00:00"},
            "\"1.50\",\"2007-03-05 00:00:00\"\r\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(RowText(row.fileType, row.columns, row.values), row.expected);
    }
}

// XML and HTML files of a task that asks for LF differ from the CR LF ones in their line ends
// only, values included (a CR LF inside a value is escaped either way); CSV and TEXT lines end
// with the task's own terminator whatever the markup's line end is.
TEST(ExportWriterTest, MarkupLineEndsAreLfOrCrLfAndNothingElseChanges)
{
    const std::vector<FieldInfo> columns {
        Field("id", FieldType::Long), Field("a b<", FieldType::VarString), Field("t", FieldType::Blob)};
    const Values values {"7", "x\r\ny", std::nullopt};
    auto replaced = [](std::string text) {
        for (std::size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at))
            text.replace(at, 2, "\n");
        return text;
    };
    for (int fileType : {1, 2, 3, 4}) {
        SCOPED_TRACE(fileType);
        std::string whole[2];
        for (int lf = 0; lf < 2; ++lf) {
            ExportWriter writer(Defaults(fileType), lf ? "\n" : "\r\n");
            writer.AppendHeader(whole[lf], columns);
            whole[lf] += RowText(fileType, columns, values, lf ? "\n" : "\r\n");
            writer.AppendFooter(whole[lf]);
        }
        const bool markup = fileType == 2 || fileType == 3;
        EXPECT_NE(whole[0].find("\r\n"), std::string::npos);
        if (markup) {
            EXPECT_EQ(whole[1].find('\r'), std::string::npos) << whole[1];
            EXPECT_EQ(whole[1], replaced(whole[0]));
        } else {
            EXPECT_EQ(whole[1], whole[0]);
        }
    }
}

TEST(ExportWriterTest, HeadersAndFooters)
{
    const std::vector<FieldInfo> columns {Field("id", FieldType::Long), Field("a b<", FieldType::VarString)};
    struct Row
    {
        int fileType;
        bool columnNames;
        std::string header;
        std::string footer;
    };
    const Row rows[] = {
        {1, true, "\"id\",\"a b<\"\r\n", ""},
        {1, false, "", ""},
        {4, true, "id\ta b<\r\n", ""},
        {2, false,
            "<?xml version=\"1.0\" standalone=\"no\"?>\r\n<DATAPACKET Version=\"2.0\">\r\n<METADATA>\r\n<FIELDS>\r\n"
            "<FIELD FieldName=\"id\" DisplayLabel=\"id\" FieldType=\"Integer\"/>\r\n"
            "<FIELD FieldName=\"a b&lt;\" DisplayLabel=\"a b&lt;\" FieldType=\"Varchar\" AttrName=\"FIELD2\"/>\r\n"
            "</FIELDS>\r\n</METADATA>\r\n<ROWDATA>\r\n",
            "</ROWDATA>\r\n</DATAPACKET>\r\n"},
        {3, false,
            "<html>\r\n<head>\r\n<title>Table Data</title>\r\n<style type=\"text/css\">\r\n<!--\r\n.normal {  "
            "font-family: Verdana, Arial, Helvetica, sans-serif; font-size: 12px; font-weight: normal; color: "
            "#000000}\r\n.medium {  font-family: Verdana, Arial, Helvetica, sans-serif; font-size: 15px; font-weight: "
            "bold; color: #000000; text-decoration: none}\r\n-->\r\n</style>\r\n</head>\r\n<table border=1>\r\n<tr>\r\n"
            "<td bgcolor=silver class='medium'>id</td>\r\n<td bgcolor=silver class='medium'>a&nbsp;b&lt;</td>\r\n"
            "</tr>\r\n",
            "</table></body></html>\r\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.fileType);
        ExportSettings settings = Defaults(row.fileType);
        settings.columnNamesOnTop = row.columnNames ? 1 : 0;
        ExportWriter writer(settings);
        std::string header;
        writer.AppendHeader(header, columns);
        EXPECT_EQ(header, row.header);
        std::string footer;
        writer.AppendFooter(footer);
        EXPECT_EQ(footer, row.footer);
    }
}

TEST(ExportWriterTest, XmlTypeWords)
{
    const std::pair<int, const char*> words[] = {{0, "Decimal"}, {246, "Decimal"}, {1, "Tiny"}, {2, "SmallInt"},
        {3, "Integer"}, {4, "Float"}, {5, "Double"}, {6, "Null"}, {7, "TimeStamp"}, {8, "BigInt"}, {9, "MediumInt"},
        {10, "Date"}, {14, "Date"}, {11, "Time"}, {12, "DateTime"}, {13, "Year"}, {15, "Varchar"}, {253, "Varchar"},
        {16, "Bit"}, {247, "Enum"}, {248, "Set"}, {249, "TinyText"}, {250, "MediumText"}, {251, "LongText"},
        {252, "Text"}, {254, "Char"}, {255, "Geometry"}, {245, ""}, {17, ""}};
    for (const auto& [type, word] : words) {
        SCOPED_TRACE(type);
        EXPECT_STREQ(ExportWriter::XmlFieldType(type), word);
    }
}

TEST(ExportFileNameTest, DirectoryDatabaseTableAndExtension)
{
    const std::vector<TableItem> list {
        {2, 1, "shop", "orders"}, {2, 2, " we/ird:db ", "a*b?\"c<d>e|f\tg\\h"}, {2, 1, "", ""}};
    struct Row
    {
        const char* directory;
        int fileType;
        std::size_t index;
        const char* expected;
    };
    const Row rows[] = {
        {"/exports/", 1, 0, "/exports/shop_orders.csv"},
        {"/exports", 2, 0, "/exports/shop_orders.xml"},
        {"/exports/", 3, 1, "/exports/weirddb_abcdefgh.html"},
        {"rel", 4, 2, "rel/_.txt"},
        {"/exports/", 1, 3, ""},
        {"", 1, 0, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.expected);
        ExportSettings settings;
        settings.directory = row.directory;
        settings.fileType = static_cast<std::uint8_t>(row.fileType);
        EXPECT_EQ(BuildExportFileName(settings, list, row.index), row.expected);
    }
}

TEST(TypedEscapesTest, EachSequenceBecomesItsCharacterInOrder)
{
    const std::pair<const char*, std::string> rows[] = {
        {",", ","},
        {"\\t", "\t"},
        {"\\r\\n", "\r\n"},
        {"\\a\\b\\f\\v", "\a\b\f\v"},
        {"\\'\\\"\\?", "'\"?"},
        {"\\\\", "\\"},
        // Each sequence is replaced throughout before the next: the n of \\n goes first.
        {"\\\\n", "\\\n"},
        {"\\\\\\\\", "\\\\"},
        {"\\x\\", "\\x\\"},
        {"", ""},
    };
    for (const auto& [typed, stored] : rows) {
        SCOPED_TRACE(typed);
        EXPECT_EQ(ConvertTypedEscapes(typed), stored);
    }
}

TEST(ExportWriterTest, XmlColumnNamesThatAreNoAttributeNames)
{
    const std::vector<FieldInfo> columns {
        Field("FIELD2", FieldType::Long), Field("a b", FieldType::Long), Field("\x01x", FieldType::Long)};
    ExportWriter writer(Defaults(2));
    std::string text;
    writer.AppendHeader(text, columns);
    EXPECT_NE(text.find("<FIELD FieldName=\"a b\" DisplayLabel=\"a b\" FieldType=\"Integer\" AttrName=\"FIELD2_\"/>"),
        std::string::npos)
        << text;
    EXPECT_NE(text.find("<FIELD FieldName=\"AXg=\" DisplayLabel=\"AXg=\" FieldType=\"Integer\" AttrName=\"FIELD3\" "
                        "Encoding=\"base64\"/>"),
        std::string::npos)
        << text;
    FakeConnection connection;
    connection.Answer("SELECT", FakeResult {columns, {{"1", "2", "3"}}});
    connection.Query("SELECT");
    auto rows = connection.UseResult();
    RowView row;
    ASSERT_TRUE(rows->FetchRow(row));
    text.clear();
    writer.AppendRow(text, row, columns, connection);
    EXPECT_EQ(text, "<ROW FIELD2=\"1\" FIELD2_=\"2\" FIELD3=\"3\"/>\r\n");
}

TEST(XmlTextTest, WhatXmlCanCarryAndWhatNamesItTakes)
{
    struct Row
    {
        const char* name;
        std::string text;
        bool carried;
        bool xmlName;
    };
    const Row rows[] = {
        {"empty", "", true, false},
        {"plain", "order_date", true, true},
        {"tab LF CR", "\t\n\r", true, false},
        {"NUL", std::string("a\0b", 3), false, false},
        {"SOH", "\x01", false, false},
        {"DEL is a character", "\x7f", true, false},
        {"U+FFFD is even a name", "\xef\xbf\xbd", true, true},
        {"U+FFFE", "\xef\xbf\xbe", false, false},
        {"above U+10FFFF", "\xf4\x90\x80\x80", false, false},
        {"surrogate", "\xed\xa0\x80", false, false},
        {"overlong slash", "\xc0\xaf", false, false},
        {"cut short", "\xe2\x9c", false, false},
        {"letters beyond ASCII", "na\xc3\xafve", true, true},
        {"blank", "order date", true, false},
        {"leading digit", "1st", true, false},
        {"inner digit, dot and dash", "a1.b-c", true, true},
        {"colon", "a:b", true, false},
        {"multiplication sign",
            "a\xc3\x97"
            "b",
            true, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(XmlCanCarry(row.text), row.carried);
        EXPECT_EQ(IsXmlName(row.text), row.xmlName);
    }
    // RFC 4648's vectors.
    const char* vectors[][2]
        = {{"", ""}, {"f", "Zg=="}, {"fo", "Zm8="}, {"foo", "Zm9v"}, {"foob", "Zm9vYg=="}, {"foobar", "Zm9vYmFy"}};
    for (const auto& [plain, encoded] : vectors) {
        std::string out = "x";
        AppendBase64(out, plain);
        EXPECT_EQ(out, std::string("x") + encoded);
    }
}

} // namespace
} // namespace kelvanto::test
