#include "engines/sql/SqlSplitter.h"

namespace kelvanto
{

std::optional<std::string> ItemAsStatement(const ClientSqlReader::Item& item)
{
    switch (item.kind) {
    case ClientSqlReader::Item::Kind::Statement:
        return item.text;
    case ClientSqlReader::Item::Kind::UseDatabase: {
        std::string statement = "USE `";
        for (char c : item.text) {
            statement += c;
            if (c == '`')
                statement += '`';
        }
        return statement + '`';
    }
    case ClientSqlReader::Item::Kind::CharacterSet:
        return "SET NAMES " + item.text;
    case ClientSqlReader::Item::Kind::Warning:
    case ClientSqlReader::Item::Kind::Error:
        break;
    }
    return std::nullopt;
}

Result<std::vector<std::string>> SplitScript(std::string_view text)
{
    ClientSqlReader reader;
    reader.Feed(text);
    reader.Finish();
    std::vector<std::string> statements;
    ClientSqlReader::Item item;
    while (reader.Next(item) == ClientSqlReader::Step::Item) {
        if (item.kind == ClientSqlReader::Item::Kind::Error)
            return Error {RefusalText(item)};
        if (std::optional<std::string> statement = ItemAsStatement(item))
            statements.push_back(std::move(*statement));
    }
    return statements;
}

namespace
{

// Whether a statement comes back from `text` as itself (or without its one trailing ';').
bool ComesBack(const std::string& text, const std::string& statement)
{
    const Result<std::vector<std::string>> split = SplitScript(text);
    if (!split || split->size() != 1)
        return false;
    const std::string& back = split->front();
    return back == statement || (statement.ends_with(';') && back == statement.substr(0, statement.size() - 1));
}

} // namespace

std::string JoinScript(const std::vector<std::string>& statements)
{
    std::string script;
    for (const std::string& statement : statements) {
        if (statement.empty())
            continue;
        std::string plain = statement;
        if (!plain.ends_with(';'))
            plain += ';';
        plain += '\n';
        if (ComesBack(plain, statement)) {
            script += plain;
            continue;
        }
        bool written = false;
        for (const std::string delimiter : {"$$", ";;", "//", "$$$$", "@@"}) {
            if (statement.find(delimiter) != std::string::npos)
                continue;
            const std::string block = "DELIMITER " + delimiter + "\n" + statement + delimiter + "\nDELIMITER ;\n";
            if (ComesBack(block, statement)) {
                script += block;
                written = true;
                break;
            }
        }
        // A statement that no form gives back (one the client would not send as it is) is
        // written plainly.
        if (!written)
            script += plain;
    }
    return script;
}

std::string RefusalText(const ClientSqlReader::Item& item)
{
    return "line " + std::to_string(item.line) + ": " + item.text;
}

} // namespace kelvanto
