#pragma once

#include "model/Task.h"
#include "model/TimeStamp.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kelvanto
{

// The fixed texts of SQL and PHP dump files. Every function appends to `out` so that
// the caller can reuse one buffer for the whole run.

constexpr std::uint8_t kSqlDumpFile = 1;
constexpr std::uint8_t kPhpDumpFile = 2;

// The run time as "YYYY-MM-DD HH:MM:SS" (plain decimal year, the rest two digits).
std::string FormatDumpTime(const TimeStamp& time);

// `text` with every backslash doubled and then every apostrophe preceded by a backslash,
// ready to stand inside a single-quoted PHP string.
void AppendPhpEscaped(std::string& out, std::string_view text);

// One statement as a line of the dump file: ";" added when missing; in a PHP file the
// statement is escaped and wrapped in a mysql_query call.
void AppendStatementText(std::string& out, std::string_view statement, std::uint8_t fileType, std::string_view eol);

// The comment block at the top of every dump file; `note`, when not empty, is one more line of
// it after the run time (the binary log position of a run's snapshot).
void AppendDumpHeaderText(std::string& out, std::string_view host, std::string_view serverInfo, std::uint8_t fileType,
    std::string_view eol, const TimeStamp& runTime, std::string_view note = {});

// The mysql_connect line of a PHP file.
void AppendPhpConnectText(std::string& out, const ServerConnection& connection, std::string_view eol);

// The last lines of a PHP file.
void AppendPhpFooterText(std::string& out, std::string_view eol);

// What the prologue and epilogue of a dump file need to know of the run.
struct DumpSessionOptions
{
    bool addSetNames = false;
    bool addUniqueChecks = false;
    bool addForeignKeyChecks = false;
    bool addSqlNotes = false;
    std::string serverCharset; // empty when no character set was negotiated
    bool sqlModeLines = false; // server version above 4.1.0
    bool utcSession = false; // server version 4.1.3 or later: the dump carries UTC times
};

// The SET statements written after the header of every dump file, in order.
std::vector<std::string> PrologueStatements(const DumpSessionOptions& options);
// The SET statements written at the end of every dump file (before a PHP footer), in order.
std::vector<std::string> EpilogueStatements(const DumpSessionOptions& options);

} // namespace kelvanto
