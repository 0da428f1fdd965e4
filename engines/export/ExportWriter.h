#pragma once

#include "model/Task.h"
#include "mysql/Connection.h"

#include <string>
#include <string_view>
#include <vector>

namespace kelvanto
{

// The text of CSV (1), XML (2), HTML (3) and TEXT (4) export files: the header, one line per
// row and the footer of a file, appended to a buffer that the caller writes. A writer belongs
// to one run and reuses its buffers, so that a row costs no allocation once they have grown.
//
// The value text of a column: NULL gives ""; a value of a character, binary, bit, enum, set,
// JSON or geometry column is escaped by the connection's mysql_real_escape_string (so that NUL,
// LF, CR, backslash, quotes and Ctrl-Z come out as backslash sequences), other values are
// taken as the server sent them; then blanks at both ends are trimmed and "NULL" gives "".
// In a file whose fields are not enclosed and are separated by a tab, a tab inside a value is
// written "\t", so that a line never gains a column.
//
// XML files are well-formed for every value and every column name. A value that XML 1.0
// cannot carry even as character references (C0 controls other than TAB, LF and CR,
// U+FFFE/U+FFFF, a byte that is not UTF-8) is written in base64, and the ROW element then
// holds one <BASE64 AttrName="..."/> child per such value. A column whose name is not an XML
// name is written under the attribute name FIELD<position> (its FIELD element says so in
// AttrName); a name that XML cannot carry is written in base64 with Encoding="base64".
class ExportWriter
{
public:
    // markupLineEnd ends the lines of XML and HTML files; CSV and TEXT lines end with the
    // settings' own "lines terminated by".
    explicit ExportWriter(const ExportSettings& settings, std::string_view markupLineEnd = "\r\n");

    static bool KnowsFileType(int fileType) { return fileType >= 1 && fileType <= 4; }
    // The FieldType word of the XML header for a column type code; "" for unknown codes.
    static const char* XmlFieldType(int type);

    void AppendHeader(std::string& out, const std::vector<FieldInfo>& columns);
    // `row` has one value for each of `columns`.
    void AppendRow(std::string& out, const RowView& row, const std::vector<FieldInfo>& columns, Connection& connection);
    void AppendFooter(std::string& out) const;

private:
    // Appends markup text whose lines end with '\n', each written as m_lineEnd.
    void AppendMarkup(std::string& out, std::string_view text) const;
    std::string_view ValueText(const RowView& row, std::size_t column, int type, Connection& connection);
    // The value inside the double quotes of an XML attribute: entities the text already holds
    // are taken back first, then & > < " and tab are written as entities.
    void AppendXmlValue(std::string& out, std::string_view text);
    // The ROW attribute name of each column: its own name when that is an XML name, else
    // "FIELD<position>" (with "_" added while another column has that name).
    void PrepareXmlNames(const std::vector<FieldInfo>& columns);
    void AppendXmlField(std::string& out, const FieldInfo& column, const std::string& attributeName);
    // The value inside an HTML cell, blanks as &nbsp; and an empty value as "&nbsp;".
    void AppendHtmlValue(std::string& out, std::string_view text);

    int m_fileType;
    std::string m_lineEnd;
    std::string m_separator;
    std::string m_enclosure;
    std::string m_terminator;
    bool m_columnNames;
    bool m_escapeTabs;
    std::string m_value; // reused for every value
    std::string m_scratch;
    std::vector<std::string> m_attributeNames; // XML: one per column
    std::vector<std::size_t> m_base64Columns; // XML: the columns of the row written in base64
};

} // namespace kelvanto
