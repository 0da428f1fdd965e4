#include "engines/export/ExportWriter.h"

#include "engines/export/XmlText.h"
#include "model/Text.h"

#include <algorithm>
#include <set>

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

ExportWriter::ExportWriter(const ExportSettings& settings, std::string_view markupLineEnd)
    : m_fileType(settings.fileType)
    , m_lineEnd(markupLineEnd)
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

void ExportWriter::AppendMarkup(std::string& out, std::string_view text) const
{
    if (m_lineEnd == "\n") {
        out += text;
        return;
    }
    for (std::size_t from = 0; from < text.size();) {
        const std::size_t end = std::min(text.find('\n', from), text.size());
        out.append(text, from, end - from);
        if (end < text.size())
            out += m_lineEnd;
        from = end + 1;
    }
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
    AppendXmlAttributeText(out, text);
}

void ExportWriter::PrepareXmlNames(const std::vector<FieldInfo>& columns)
{
    m_attributeNames.clear();
    std::set<std::string> plain;
    for (const FieldInfo& column : columns) {
        if (IsXmlName(column.name))
            plain.insert(column.name);
    }
    std::set<std::string> taken;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        std::string name = columns[i].name;
        if (!IsXmlName(name)) {
            // FIELD<position>, lengthened by "_" until no column's name is the same.
            name = "FIELD" + std::to_string(i + 1);
            while (plain.count(name) != 0 || taken.count(name) != 0)
                name += '_';
        }
        taken.insert(name);
        m_attributeNames.push_back(std::move(name));
    }
}

void ExportWriter::AppendXmlField(std::string& out, const FieldInfo& column, const std::string& attributeName)
{
    std::string label;
    const bool asText = XmlCanCarry(column.name);
    if (asText)
        AppendXmlAttributeText(label, column.name);
    else
        AppendBase64(label, column.name);
    out += "<FIELD FieldName=\"" + label + "\" DisplayLabel=\"" + label + "\" FieldType=\"" + XmlFieldType(column.type)
        + "\"";
    if (attributeName != column.name)
        out += " AttrName=\"" + attributeName + "\"";
    if (!asText)
        out += " Encoding=\"base64\"";
    AppendMarkup(out, "/>\n");
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
        AppendMarkup(out,
            "<?xml version=\"1.0\" standalone=\"no\"?>\n<DATAPACKET "
            "Version=\"2.0\">\n<METADATA>\n<FIELDS>\n");
        PrepareXmlNames(columns);
        for (std::size_t i = 0; i < columns.size(); ++i)
            AppendXmlField(out, columns[i], m_attributeNames[i]);
        AppendMarkup(out, "</FIELDS>\n</METADATA>\n<ROWDATA>\n");
        return;
    }
    if (m_fileType == kHtml) {
        AppendMarkup(out,
            "<html>\n<head>\n<title>Table Data</title>\n<style type=\"text/css\">\n<!--\n.normal {  "
            "font-family: Verdana, Arial, Helvetica, sans-serif; font-size: 12px; font-weight: normal; color: "
            "#000000}\n.medium {  font-family: Verdana, Arial, Helvetica, sans-serif; font-size: 15px; "
            "font-weight: bold; color: #000000; text-decoration: none}\n-->\n</style>\n</head>\n<table "
            "border=1>\n<tr>\n");
        for (const FieldInfo& column : columns) {
            out += "<td bgcolor=silver class='medium'>";
            // A column name is page text like any value.
            AppendHtmlValue(out, column.name);
            AppendMarkup(out, "</td>\n");
        }
        AppendMarkup(out, "</tr>\n");
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
        if (m_attributeNames.size() != columns.size())
            PrepareXmlNames(columns);
        out += "<ROW ";
        m_base64Columns.clear();
        for (std::size_t i = 0; i < columns.size(); ++i) {
            if (i > 0)
                out += ' ';
            out += m_attributeNames[i];
            out += "=\"";
            const std::string_view text = ValueText(row, i, columns[i].type, connection);
            if (XmlCanCarry(text)) {
                AppendXmlValue(out, text);
            } else {
                AppendBase64(out, text);
                m_base64Columns.push_back(i);
            }
            out += '"';
        }
        if (m_base64Columns.empty()) {
            AppendMarkup(out, "/>\n");
            return;
        }
        // A value that XML cannot hold as text is in base64, and a child element names it.
        out += '>';
        for (const std::size_t i : m_base64Columns)
            out += "<BASE64 AttrName=\"" + m_attributeNames[i] + "\"/>";
        AppendMarkup(out, "</ROW>\n");
        return;
    }
    if (m_fileType == kHtml) {
        AppendMarkup(out, "<tr>\n");
        for (std::size_t i = 0; i < columns.size(); ++i) {
            out += "<td class='normal' valign='top'>";
            AppendHtmlValue(out, ValueText(row, i, columns[i].type, connection));
            AppendMarkup(out, "</td>\n");
        }
        AppendMarkup(out, "</tr>\n");
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
        AppendMarkup(out, "</ROWDATA>\n</DATAPACKET>\n");
    else if (m_fileType == kHtml)
        AppendMarkup(out, "</table></body></html>\n");
}

} // namespace kelvanto
