#include "engines/restore/ParallelRestoreDatabase.h"

#include "engines/io/SqlFileReader.h"

#include <cctype>
#include <string_view>
#include <vector>

namespace kelvanto
{

namespace
{

// The leading statements of a dump's file that set up its session are few; a file that
// gives this many without a USE does not select its database for its statements.
constexpr int kMostLeadingStatements = 1000;
// Far longer than any SET, CREATE DATABASE or USE; a longer statement is not read whole.
constexpr std::size_t kLongestLeadingStatement = 64 * 1024;
// Enough words for "CREATE DATABASE IF NOT EXISTS name".
constexpr std::size_t kWordsNeeded = 6;

struct Word
{
    enum class Kind : unsigned char {
        Plain, // letters, digits, '_' and '$' (and bytes of multibyte characters)
        Quoted, // `...`, its text without the quotes and with `` as one `
        Other, // any other character, or a string literal
    };
    Kind kind = Kind::Other;
    std::string text;

    bool Is(std::string_view keyword) const
    {
        if (kind != Kind::Plain || text.size() != keyword.size())
            return false;
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (std::toupper(static_cast<unsigned char>(text[i])) != keyword[i])
                return false;
        }
        return true;
    }
    // A NUL would cut the name short where the client library takes it.
    bool IsName() const { return kind != Kind::Other && !text.empty() && text.find('\0') == std::string::npos; }
};

bool IsWordByte(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    return std::isalnum(byte) || c == '_' || c == '$' || byte >= 0x80;
}

// The first `most` words of `statement`, comments left out; the text inside a version
// comment ("/*!40101 ...*/", "/*M!100100 ...*/") counts as the statement's own. A trailing
// ';' is no word.
std::vector<Word> LeadingWords(std::string_view statement, std::size_t most)
{
    std::vector<Word> words;
    std::size_t at = 0;
    const auto skipPast = [&](std::string_view end) {
        const std::size_t found = statement.find(end, at);
        at = found == std::string_view::npos ? statement.size() : found + end.size();
    };
    while (at < statement.size() && words.size() < most) {
        const char c = statement[at];
        const std::string_view rest = statement.substr(at);
        if (std::isspace(static_cast<unsigned char>(c)) || rest.starts_with("*/")) {
            at += std::isspace(static_cast<unsigned char>(c)) ? 1 : 2;
        } else if (rest.starts_with("/*!") || rest.starts_with("/*M!")) {
            at += rest.starts_with("/*!") ? 3 : 4;
            while (at < statement.size() && std::isdigit(static_cast<unsigned char>(statement[at])))
                ++at;
        } else if (rest.starts_with("/*")) {
            skipPast("*/");
        } else if (c == '#'
            || (rest.starts_with("--") && (rest.size() == 2 || std::isspace(static_cast<unsigned char>(rest[2]))))) {
            skipPast("\n");
        } else if (c == '`') {
            Word word {Word::Kind::Quoted, {}};
            for (++at;; ++at) {
                if (at >= statement.size())
                    return words; // an unterminated name is no name
                if (statement[at] == '`') {
                    if (at + 1 < statement.size() && statement[at + 1] == '`') {
                        word.text += '`';
                        ++at;
                        continue;
                    }
                    ++at;
                    break;
                }
                word.text += statement[at];
            }
            words.push_back(std::move(word));
        } else if (IsWordByte(c)) {
            const std::size_t start = at;
            while (at < statement.size() && IsWordByte(statement[at]))
                ++at;
            words.push_back({Word::Kind::Plain, std::string(statement.substr(start, at - start))});
        } else if (c == ';' && statement.find_first_not_of(" \t\r\n;", at) == std::string_view::npos) {
            break;
        } else {
            // A string or any other character: nothing here looks inside it.
            words.push_back({Word::Kind::Other, std::string(1, c)});
            ++at;
        }
    }
    return words;
}

} // namespace

Result<std::string> FileSelectedDatabase(const std::string& path)
{
    SqlFileReader reader;
    if (!reader.Open(path))
        return Error {"cannot be read" + reader.ErrorCause()};
    reader.SetLimit(kLongestLeadingStatement);
    std::string created;
    SqlFileReader::Item item;
    for (int count = 0; count < kMostLeadingStatements; ++count) {
        const SqlFileReader::Status status = reader.Next(item);
        if (status == SqlFileReader::Status::End)
            break;
        if (status != SqlFileReader::Status::Item || item.kind == SqlFileReader::Item::Kind::Error)
            return Error {"cannot be read" + reader.ErrorCause()};
        // The client's own "use db" selects the database as a USE statement does.
        if (item.kind == SqlFileReader::Item::Kind::UseDatabase) {
            if (!created.empty() && created != item.text)
                return Error {"creates the database " + created + " but selects " + item.text};
            return item.text;
        }
        if (item.kind != SqlFileReader::Item::Kind::Statement)
            continue;
        const std::string& statement = item.text;
        const std::vector<Word> words = LeadingWords(statement, kWordsNeeded);
        if (words.empty() || words[0].Is("SET"))
            continue;
        if (words[0].Is("USE")) {
            if (words.size() != 2 || !words[1].IsName())
                return Error {"has a USE statement whose database name is not read here"};
            if (!created.empty() && created != words[1].text)
                return Error {"creates the database " + created + " but selects " + words[1].text};
            return words[1].text;
        }
        const bool createsDatabase
            = words.size() >= 3 && words[0].Is("CREATE") && (words[1].Is("DATABASE") || words[1].Is("SCHEMA"));
        if (!createsDatabase)
            break;
        const bool ifNotExists = words.size() >= 6 && words[2].Is("IF") && words[3].Is("NOT") && words[4].Is("EXISTS");
        const Word& name = words[ifNotExists ? 5 : 2];
        if (!name.IsName() || (!created.empty() && created != name.text))
            break;
        created = name.text;
    }
    return Error {"does not select its database itself before its statements act on one (no USE comes first)"};
}

} // namespace kelvanto
