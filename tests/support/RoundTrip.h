#pragma once

#include "tests/support/TestServer.h"

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace kelvanto::test
{

// Helpers for round trips against the private test servers: load sample data, restore a
// dump with the mariadb command-line client or with php, and compare two databases.

// A database name no other test binary of this run uses: stem + process id + a counter.
std::string UniqueDatabaseName(const std::string& stem);

// `name` in backquotes, inner backquotes doubled.
std::string QuoteName(const std::string& name);
// A string literal for any bytes: _binary X'...' converted to utf8mb4 where text is wanted.
std::string HexLiteral(const std::string& bytes);

// Runs the mariadb client with the file on its standard input (the way a user restores a
// dump). Returns its exit code; *output receives what it printed (standard output and error).
int RunMariadbClientOnFile(const TestServerAddress& server, const std::filesystem::path& file,
    std::string* output = nullptr, const std::string& extraArguments = {});

// Loads the Sakila sample (tests/data/sakila) into `database` on the server; the sample's
// own "sakila" name is replaced in its DROP/CREATE/USE lines and in qualified references.
// Returns an empty text on success, else what went wrong.
std::string LoadSakila(const TestServerAddress& server, const std::string& database);

// Runs a PHP dump with php-cli behind the compatibility prelude in tests/data/php, its
// mysql_connect redirected to `target` (the page itself names the server it came from).
// Returns php's exit code; *output receives what the page printed.
int RunPhpDump(const std::filesystem::path& page, const TestServerAddress& target, std::string* output);

// What a database holds, for comparison: for every table its columns, row count and
// CHECKSUM TABLE; for every view its columns and its result (rows sorted).
struct ObjectFingerprint
{
    bool isView = false;
    std::string columns;
    std::string rowCount;
    std::string checksum;
    std::vector<std::string> rows; // views only

    bool operator==(const ObjectFingerprint&) const = default;
};

struct DatabaseFingerprint
{
    bool exists = false;
    std::string error; // non-empty when the fingerprint could not be taken
    std::map<std::string, ObjectFingerprint> objects; // by object name (raw bytes)

    std::size_t tableCount() const;
    std::size_t viewCount() const;
};

DatabaseFingerprint TakeFingerprint(const TestServerAddress& server, const std::string& database);

// Human-readable differences between two fingerprints; empty when they are identical.
std::vector<std::string> CompareFingerprints(const DatabaseFingerprint& expected, const DatabaseFingerprint& actual);

// For a table whose checksum differs: every (row key, column) whose value differs, compared
// as HEX(column) ordered by `orderBy`; at most `limit` lines.
std::vector<std::string> DifferingValues(const TestServerAddress& serverA, const TestServerAddress& serverB,
    const std::string& database, const std::string& table, const std::string& orderBy, std::size_t limit = 20);

} // namespace kelvanto::test
