#include "engines/ExportWriter.h"

#include "model/Text.h"

namespace kelvanto
{

namespace
{

constexpr int kCsv = 1, kXml = 2, kHtml = 3;

bool IsCharacterType(int type)
{
    switch (type) {
    case FieldType::VarChar:
    case FieldType::Bit:
    case FieldType::Enum:
    case FieldType::Set:
    case FieldType::TinyBlob:
    case FieldType::MediumBlob:
    case FieldType::LongBlob:
    case FieldType::Blob:
    case FieldType::VarString:
    case FieldType::String:
    // JSON's double quotes would end a CSV field early, and geometry values are binary (line
    // feeds, NULs): both are written like text.
    case FieldType::Json:
    case FieldType::Geometry:
        return true;
    default:
        return false;
    }
}

// Replaces every occurrence, left to right; inserted text is not searched again.
void ReplaceEvery(std::string& text, std::string_view from, std::string_view to)
{
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

} // namespace

ExportWriter::ExportWriter(const ExportSettings& settings)
    : m_fileType(settings.fileType)
    , m_separator(settings.fieldsTerminatedBy)
    , m_enclosure(settings.fieldsEnclosedBy)
    , m_terminator(settings.linesTerminatedBy)
    , m_columnNames(settings.columnNamesOnTop == 1)
    , m_escapeTabs(settings.fieldsEnclosedBy.empty() && settings.fieldsTerminatedBy.find('\t') != std::string::npos)
{ }

const char* ExportWriter::XmlFieldType(int type)
{
    switch (type) {
    case FieldType::Decimal:
    case FieldType::NewDecimal:
        return "Decimal";
    case FieldType::Tiny:
        return "Tiny";
    case FieldType::Short:
        return "SmallInt";
    case FieldType::Long:
        return "Integer";
    case FieldType::Float:
        return "Float";
    case FieldType::Double:
        return "Double";
    case FieldType::Null:
        return "Null";
    case FieldType::Timestamp:
        return "TimeStamp";
    case FieldType::LongLong:
        return "BigInt";
    case FieldType::Int24:
        return "MediumInt";
    case FieldType::Date:
    case FieldType::NewDate:
        return "Date";
    case FieldType::Time:
        return "Time";
    case FieldType::DateTime:
        return "DateTime";
    case FieldType::Year:
        return "Year";
    case FieldType::VarChar:
    case FieldType::VarString:
        return "Varchar";
    case FieldType::Bit:
        return "Bit";
    case FieldType::Enum:
        return "Enum";
    case FieldType::Set:
        return "Set";
    case FieldType::TinyBlob:
        return "TinyText";
    case FieldType::MediumBlob:
        return "MediumText";
    case FieldType::LongBlob:
        return "LongText";
    case FieldType::Blob:
        return "Text";
    case FieldType::String:
        return "Char";
    case FieldType::Geometry:
        return "Geometry";
    default:
        return "";
    }
}

std::string_view ExportWriter::ValueText(const RowView& row, std::size_t column, int type, Connection& connection)
{
    if (row.isNull(column))
        return {};
    std::string_view text = row.value(column);
    if (IsCharacterType(type) && !text.empty()) {
        m_value.clear();
        connection.AppendEscaped(m_value, text);
        if (m_escapeTabs && m_value.find('\t') != std::string::npos)
            ReplaceEvery(m_value, "\t", "\\t");
        text = m_value;
    }
    text = TrimBlanks(text);
    return text == "NULL" ? std::string_view() : text;
}

void ExportWriter::AppendXmlValue(std::string& out, std::string_view text)
{
    if (text.find('&') != std::string_view::npos) {
        m_scratch.assign(text);
        for (const auto& [entity, character] :
            {std::pair {"&amp;", "&"}, {"&amp", "&"}, {"&gt;", ">"}, {"&gt", ">"}, {"&lt;", "<"}, {"&lt", "<"}})
            ReplaceEvery(m_scratch, entity, character);
        text = m_scratch;
    }
    for (char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '<':
            out += "&lt;";
            break;
        // An attribute value is in double quotes, and a parser turns a tab in it into a blank.
        case '"':
            out += "&quot;";
            break;
        case '\t':
            out += "&#9;";
            break;
        default:
            out += c;
        }
    }
}

void ExportWriter::AppendHtmlValue(std::string& out, std::string_view text)
{
    if (text.empty()) {
        out += "&nbsp;";
        return;
    }
    if (text.find('&') != std::string_view::npos) {
        m_scratch.assign(text);
        for (const auto& [entity, character] : {std::pair {"&amp;", "&"}, {"&amp", "&"}, {"&nbsp;", " "},
                 {"&nbsp", " "}, {"&gt;", ">"}, {"&gt", ">"}, {"&lt;", "<"}, {"&lt", "<"}})
            ReplaceEvery(m_scratch, entity, character);
        text = m_scratch;
    }
    for (char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case ' ':
            out += "&nbsp;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '<':
            out += "&lt;";
            break;
        default:
            out += c;
        }
    }
}

void ExportWriter::AppendHeader(std::string& out, const std::vector<FieldInfo>& columns)
{
    if (m_fileType == kXml) {
        out += "<?xml version=\"1.0\" standalone=\"no\"?>\r\n<DATAPACKET "
               "Version=\"2.0\">\r\n<METADATA>\r\n<FIELDS>\r\n";
        for (const FieldInfo& column : columns) {
            out += "<FIELD FieldName=\"" + column.name + "\" DisplayLabel=\"" + column.name + "\" FieldType=\""
                + XmlFieldType(column.type) + "\"/>\r\n";
        }
        out += "</FIELDS>\r\n</METADATA>\r\n<ROWDATA>\r\n";
        return;
    }
    if (m_fileType == kHtml) {
        out += "<html>\r\n<head>\r\n<title>Table Data</title>\r\n<style type=\"text/css\">\r\n<!--\r\n.normal {  "
               "font-family: Verdana, Arial, Helvetica, sans-serif; font-size: 12px; font-weight: normal; color: "
               "#000000}\r\n.medium {  font-family: Verdana, Arial, Helvetica, sans-serif; font-size: 15px; "
               "font-weight: bold; color: #000000; text-decoration: none}\r\n-->\r\n</style>\r\n</head>\r\n<table "
               "border=1>\r\n<tr>\r\n";
        for (const FieldInfo& column : columns) {
            out += "<td bgcolor=silver class='medium'>";
            // A column name is page text like any value.
            AppendHtmlValue(out, column.name);
            out += "</td>\r\n";
        }
        out += "</tr>\r\n";
        return;
    }
    if (!m_columnNames)
        return;
    const bool enclosed = m_fileType == kCsv;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        if (i > 0)
            out += m_separator;
        if (enclosed)
            out += m_enclosure;
        out += columns[i].name;
        if (enclosed)
            out += m_enclosure;
    }
    out += m_terminator;
}

void ExportWriter::AppendRow(
    std::string& out, const RowView& row, const std::vector<FieldInfo>& columns, Connection& connection)
{
    if (m_fileType == kXml) {
        out += "<ROW ";
        for (std::size_t i = 0; i < columns.size(); ++i) {
            if (i > 0)
                out += ' ';
            out += columns[i].name;
            out += "=\"";
            AppendXmlValue(out, ValueText(row, i, columns[i].type, connection));
            out += '"';
        }
        out += "/>\r\n";
        return;
    }
    if (m_fileType == kHtml) {
        out += "<tr>\r\n";
        for (std::size_t i = 0; i < columns.size(); ++i) {
            out += "<td class='normal' valign='top'>";
            AppendHtmlValue(out, ValueText(row, i, columns[i].type, connection));
            out += "</td>\r\n";
        }
        out += "</tr>\r\n";
        return;
    }
    for (std::size_t i = 0; i < columns.size(); ++i) {
        if (i > 0)
            out += m_separator;
        out += m_enclosure;
        out += ValueText(row, i, columns[i].type, connection);
        out += m_enclosure;
    }
    out += m_terminator;
}

void ExportWriter::AppendFooter(std::string& out) const
{
    if (m_fileType == kXml)
        out += "</ROWDATA>\r\n</DATAPACKET>\r\n";
    else if (m_fileType == kHtml)
        out += "</table></body></html>\r\n";
}

} // namespace kelvanto
