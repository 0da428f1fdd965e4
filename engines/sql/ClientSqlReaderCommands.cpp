#include "engines/sql/ClientSqlReader.h"

// What the stock client's own commands do to the text being read and to the server.

namespace kelvanto
{

bool ClientSqlReader::RunCommand(const ClientCommandInfo& info, std::string_view text)
{
    if (ReachesOutsideServer(info.command)) {
        Refuse("the client command " + CommandLabel(info)
            + " reaches outside the server (a program, a file or another connection) and is not run");
        return false;
    }
    switch (info.command) {
    case ClientCommand::Help:
        // With an argument the client asks the server; the answer changes nothing.
        if (std::optional<std::string> query = HelpQuery(text, *m_charset))
            Give(Item::Kind::Statement, std::move(*query), m_line);
        return true;
    case ClientCommand::Charset:
        TakeCharset(text);
        return !m_ended;
    case ClientCommand::Clear:
        m_statement.clear();
        m_segmentStart = 0;
        return true;
    case ClientCommand::Delimiter:
        SetDelimiterFrom(text);
        return true;
    case ClientCommand::Ego:
    case ClientCommand::Go:
        SendStatement();
        return true;
    case ClientCommand::Exit:
    case ClientCommand::Quit:
        // What was gathered so far is still sent: as a statement ("quit;"), the word itself.
        m_quit = true;
        return false;
    case ClientCommand::Use: {
        const std::optional<std::string> database = CommandArgument(text.substr(0, kUseCommandBytes), *m_charset);
        if (!database || database->empty())
            Give(Item::Kind::Warning, "USE must be followed by a database name", m_line);
        else
            Give(Item::Kind::UseDatabase, *database, m_line);
        return true;
    }
    default:
        // Output settings and reports of the client: nothing reaches the server.
        return true;
    }
}

void ClientSqlReader::SetDelimiterFrom(std::string_view text)
{
    const std::optional<std::string> delimiter = CommandArgument(text.substr(0, kDelimiterCommandBytes), *m_charset);
    if (!delimiter || delimiter->empty()) {
        Give(Item::Kind::Warning, "DELIMITER must be followed by a 'delimiter' character or string", m_line);
        return;
    }
    if (delimiter->find('\\') != std::string::npos) {
        Give(Item::Kind::Warning, "DELIMITER cannot contain a backslash character", m_line);
        return;
    }
    m_delimiter = delimiter->substr(0, kLongestDelimiter);
}

void ClientSqlReader::TakeCharset(std::string_view text)
{
    const std::optional<std::string> name = CommandArgument(text.substr(0, kCharsetCommandBytes), *m_charset);
    if (!name || name->empty()) {
        Refuse("Usage: \\C charset_name | charset charset_name");
        return;
    }
    const ClientCharset* charset = FindClientCharset(*name);
    if (!charset) {
        Give(Item::Kind::Warning, "Charset is not found: " + *name, m_line);
        return;
    }
    if (charset->encoding == ClientCharset::Encoding::Wide) {
        Refuse("Character sets with mbminlen>1 are not supported: " + *name);
        return;
    }
    m_charset = charset;
    Give(Item::Kind::CharacterSet, std::string(charset->name), m_line);
}

void ClientSqlReader::SendStatement()
{
    std::size_t end = m_statement.size();
    while (end > 0 && !IsClientPrintable(*m_charset, static_cast<unsigned char>(m_statement[end - 1])))
        --end;
    m_statement.resize(end);
    if (!m_statement.empty()) {
        // The statement goes out in the item; the item's old buffer gathers the next one.
        Give(Item::Kind::Statement, std::string(), m_statementLine);
        m_item.text.swap(m_statement);
    }
    m_statement.clear();
    m_segmentStart = 0;
}

} // namespace kelvanto
