#include "engines/sql/StoredObject.h"

#include "mysql/SqlNames.h"

#include <array>
#include <cctype>

namespace kelvanto
{

namespace
{

bool StartsWithWord(std::string_view text, std::string_view word)
{
    if (text.size() < word.size())
        return false;
    for (std::size_t i = 0; i < word.size(); ++i) {
        if (std::toupper(static_cast<unsigned char>(text[i])) != word[i])
            return false;
    }
    return true;
}

// The length of one user or host part of a DEFINER: a quoted name (its quote doubled inside)
// or a bare word.
std::size_t NamePartLength(std::string_view text)
{
    if (text.empty())
        return 0;
    const char quote = text.front();
    if (quote == '`' || quote == '\'' || quote == '"') {
        std::size_t i = 1;
        while (i < text.size()) {
            if (text[i] == quote) {
                if (i + 1 < text.size() && text[i + 1] == quote) {
                    i += 2;
                    continue;
                }
                return i + 1;
            }
            ++i;
        }
        return text.size();
    }
    std::size_t i = 0;
    while (i < text.size() && text[i] != ' ' && text[i] != '@' && text[i] != '\n' && text[i] != '\t')
        ++i;
    // CURRENT_USER()
    if (i + 1 < text.size() && text[i] == '(' && text[i + 1] == ')')
        i += 2;
    return i;
}

// The length of the word at the start of `text` (up to a blank).
std::size_t WordLength(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && text[i] != ' ' && text[i] != '\n' && text[i] != '\t')
        ++i;
    return i;
}

// A session value as the server reports it (a character set, collation, sql_mode list or time
// zone) is written between apostrophes; anything but these characters is refused.
bool IsPlainSetting(std::string_view value)
{
    for (char c : value) {
        const bool plain = std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == ',' || c == '+' || c == '-'
            || c == ':' || c == '/' || c == '.';
        if (!plain)
            return false;
    }
    return true;
}

} // namespace

const StoredObjectKindTexts& TextsOf(StoredObjectKind kind)
{
    static const StoredObjectKindTexts kTexts[] = {
        {"trigger", "DROP TRIGGER IF EXISTS ", "SHOW CREATE TRIGGER ", "SQL Original Statement"},
        {"function", "DROP FUNCTION IF EXISTS ", "SHOW CREATE FUNCTION ", "Create Function"},
        {"procedure", "DROP PROCEDURE IF EXISTS ", "SHOW CREATE PROCEDURE ", "Create Procedure"},
        {"event", "DROP EVENT IF EXISTS ", "SHOW CREATE EVENT ", "Create Event"},
    };
    return kTexts[static_cast<std::size_t>(kind)];
}

std::string StripDefiner(std::string_view create)
{
    if (!StartsWithWord(create, "CREATE "))
        return std::string(create);
    std::size_t at = 7;
    while (at < create.size()) {
        while (at < create.size() && create[at] == ' ')
            ++at;
        const std::string_view rest = create.substr(at);
        if (StartsWithWord(rest, "DEFINER=")) {
            std::size_t end = at + 8;
            end += NamePartLength(create.substr(end));
            if (end < create.size() && create[end] == '@')
                end += 1 + NamePartLength(create.substr(end + 1));
            while (end < create.size() && create[end] == ' ')
                ++end;
            return std::string(create.substr(0, at)) + std::string(create.substr(end));
        }
        if (StartsWithWord(rest, "OR REPLACE ")) {
            at += 11;
        } else if (StartsWithWord(rest, "SQL SECURITY ")) {
            at += 13;
            at += WordLength(create.substr(at));
        } else if (StartsWithWord(rest, "ALGORITHM=")) {
            at += WordLength(rest);
        } else {
            break;
        }
    }
    return std::string(create);
}

ObjectStatements StatementsFor(const StoredObject& object, bool stripDefiner)
{
    ObjectStatements statements;
    const bool isEvent = object.kind == StoredObjectKind::Event;
    for (const std::string* value :
        {&object.sqlMode, &object.characterSetClient, &object.collationConnection, &object.timeZone}) {
        if (!IsPlainSetting(*value)) {
            statements.error = "unexpected session setting '" + *value + "'";
            return statements;
        }
    }
    statements.before.push_back(std::string(TextsOf(object.kind).drop) + QuoteName(object.name, true));
    statements.before.emplace_back("SET @kelvanto_saved_sql_mode = @@sql_mode");
    statements.before.emplace_back("SET @kelvanto_saved_cs_client = @@character_set_client");
    statements.before.emplace_back("SET @kelvanto_saved_col_connection = @@collation_connection");
    if (isEvent)
        statements.before.emplace_back("SET @kelvanto_saved_time_zone = @@time_zone");
    statements.before.push_back("SET sql_mode = '" + object.sqlMode + "'");
    if (!object.characterSetClient.empty())
        statements.before.push_back("SET character_set_client = '" + object.characterSetClient + "'");
    if (!object.collationConnection.empty())
        statements.before.push_back("SET collation_connection = '" + object.collationConnection + "'");
    if (isEvent && !object.timeZone.empty())
        statements.before.push_back("SET time_zone = '" + object.timeZone + "'");

    statements.create = stripDefiner ? StripDefiner(object.definition) : object.definition;

    if (isEvent)
        statements.after.emplace_back("SET time_zone = @kelvanto_saved_time_zone");
    statements.after.emplace_back("SET sql_mode = @kelvanto_saved_sql_mode");
    statements.after.emplace_back("SET character_set_client = @kelvanto_saved_cs_client");
    statements.after.emplace_back("SET collation_connection = @kelvanto_saved_col_connection");
    return statements;
}

std::string BlockDelimiter(std::string_view create)
{
    static constexpr std::array<std::string_view, 5> kCandidates = {";;", "$$", "//", "##", "~~"};
    for (std::string_view candidate : kCandidates) {
        if (create.find(candidate) == std::string_view::npos)
            return std::string(candidate);
    }
    // Every candidate occurs: a run of tildes longer than any in the text.
    std::string tildes = "~~~";
    while (create.find(tildes) != std::string_view::npos)
        tildes += '~';
    return tildes;
}

void AppendDelimiterBlock(std::string& out, std::string_view create, std::string_view eol)
{
    const std::string delimiter = BlockDelimiter(create);
    out += "DELIMITER ";
    out += delimiter;
    out += eol;
    out += create;
    // A last line that may end in a comment gets the terminator on a line of its own.
    const std::size_t lastLine = create.find_last_of('\n');
    const std::string_view last = lastLine == std::string_view::npos ? create : create.substr(lastLine + 1);
    if (last.find("--") != std::string_view::npos || last.find('#') != std::string_view::npos)
        out += eol;
    out += delimiter;
    out += eol;
    out += "DELIMITER ;";
    out += eol;
}

} // namespace kelvanto
