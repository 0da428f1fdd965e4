#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kelvanto
{

// The kinds of stored program that a backup carries beside tables and views.
enum class StoredObjectKind : std::uint8_t {
    Trigger,
    Function,
    Procedure,
    Event,
};

// One trigger, stored function or procedure, or event of a database, with the session
// settings it was created under: it is recreated under the same ones, since they change
// what its body means.
struct StoredObject
{
    StoredObjectKind kind = StoredObjectKind::Procedure;
    std::string name;
    std::string table; // the table of a trigger
    std::string sqlMode;
    std::string characterSetClient;
    std::string collationConnection;
    std::string timeZone; // events only
    std::string definition; // "CREATE ..." as the server shows it
};

// The words of the statements that read and replace an object of a kind.
struct StoredObjectKindTexts
{
    std::string_view word; // "trigger", "function", "procedure" or "event", for log lines
    std::string_view drop; // "DROP TRIGGER IF EXISTS "
    std::string_view showCreate; // "SHOW CREATE TRIGGER "
    std::string_view definitionColumn; // the column of SHOW CREATE that holds the definition
};
const StoredObjectKindTexts& TextsOf(StoredObjectKind kind);

inline std::string_view KindWord(StoredObjectKind kind)
{
    return TextsOf(kind).word;
}

// `create` without its DEFINER clause: the clause is looked for only among the words that may
// stand between CREATE and the kind of object (OR REPLACE, ALGORITHM=, SQL SECURITY), never in
// the body. Text without such a clause comes back unchanged.
std::string StripDefiner(std::string_view create);

// The statements that recreate an object: plain statements before its CREATE (the DROP ... IF
// EXISTS that lets a second restore replace it, and the SET lines that save the session's
// settings and put the object's own in force), the CREATE, and the SET lines that restore the
// session afterwards. Fails when a session setting that the server reported is not a plain
// name, which a SET line could not carry safely.
struct ObjectStatements
{
    std::vector<std::string> before;
    std::string create;
    std::vector<std::string> after;
    std::string error; // not empty when the statements could not be made
};
ObjectStatements StatementsFor(const StoredObject& object, bool stripDefiner);

// A terminator for a DELIMITER block of `create`: ";;" unless that text holds it, else the
// first of a few others that it does not hold.
std::string BlockDelimiter(std::string_view create);

// `create` as the stock client reads it: "DELIMITER <d>", the text with its own line ends kept
// and the terminator at the end of its last line, then "DELIMITER ;".
void AppendDelimiterBlock(std::string& out, std::string_view create, std::string_view eol);

} // namespace kelvanto
