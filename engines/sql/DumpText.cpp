#include "engines/sql/DumpText.h"

#include "model/Version.h"

#include <cstdio>

namespace kelvanto
{

namespace
{

void AppendLine(std::string& out, std::string_view text, std::string_view eol)
{
    out.append(text);
    out.append(eol);
}

} // namespace

std::string FormatDumpTime(const TimeStamp& time)
{
    char text[64];
    std::snprintf(text, sizeof text, "%d-%02d-%02d %02d:%02d:%02d", time.year, time.month, time.day, time.hour,
        time.minute, time.second);
    return text;
}

void AppendPhpEscaped(std::string& out, std::string_view text)
{
    // Doubling the backslashes first and escaping the apostrophes second gives the same
    // text as the two replacements one after the other.
    for (char c : text) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '\'')
            out += "\\'";
        else
            out += c;
    }
}

void AppendStatementText(std::string& out, std::string_view statement, std::uint8_t fileType, std::string_view eol)
{
    const bool addSemicolon = !statement.empty() && statement.back() != ';';
    if (fileType == kPhpDumpFile) {
        out += "  mysql_query('";
        AppendPhpEscaped(out, statement);
        if (addSemicolon)
            out += ';';
        out += "',$conn) or die('Failed! Error NO. '.mysql_errno($conn).'<br>'.mysql_error($conn));";
        out.append(eol);
        return;
    }
    out.append(statement);
    if (addSemicolon)
        out += ';';
    out.append(eol);
}

void AppendDumpHeaderText(std::string& out, std::string_view host, std::string_view serverInfo, std::uint8_t fileType,
    std::string_view eol, const TimeStamp& runTime, std::string_view note)
{
    const std::string when = FormatDumpTime(runTime);
    if (fileType == kPhpDumpFile) {
        AppendLine(out, "<?", eol);
        AppendLine(out, "/" + std::string(50, '*'), eol);
        AppendLine(out, "**", eol);
        AppendLine(out, "** Kelvanto " KELVANTO_SHORT_VERSION " Standard Edition", eol);
        AppendLine(out, "**", eol);
        AppendLine(out, "** Host: " + std::string(host), eol);
        AppendLine(out, "**", eol);
        AppendLine(out, "** MySQL Server Version: " + std::string(serverInfo), eol);
        AppendLine(out, "**", eol);
        AppendLine(out, "** " + when, eol);
        AppendLine(out, "**", eol);
        if (!note.empty()) {
            AppendLine(out, "** " + std::string(note), eol);
            AppendLine(out, "**", eol);
        }
        AppendLine(out, std::string(50, '*') + "/", eol);
        AppendLine(out, "?>", eol);
        AppendLine(out, "", eol);
        AppendLine(out, "<?", eol);
        return;
    }
    AppendLine(out, "-- Kelvanto Standard Edition " KELVANTO_SHORT_VERSION, eol);
    AppendLine(out, "--", eol);
    AppendLine(out, "-- Host: " + std::string(host), eol);
    AppendLine(out, "--", eol);
    AppendLine(out, "-- MySQL Server Version: " + std::string(serverInfo), eol);
    AppendLine(out, "--", eol);
    AppendLine(out, "-- " + when, eol);
    AppendLine(out, "--", eol);
    if (!note.empty()) {
        AppendLine(out, "-- " + std::string(note), eol);
        AppendLine(out, "--", eol);
    }
    AppendLine(out, "-- ------------------------------------------------------", eol);
    AppendLine(out, "", eol);
}

void AppendPhpConnectText(std::string& out, const ServerConnection& connection, std::string_view eol)
{
    out += "  $conn = mysql_connect('";
    AppendPhpEscaped(out, connection.host);
    out += ':';
    out += std::to_string(connection.port);
    out += "','";
    AppendPhpEscaped(out, connection.user);
    out += "','";
    AppendPhpEscaped(out, connection.password);
    out += "') or die('Can not connect to server!');";
    out.append(eol);
}

void AppendPhpFooterText(std::string& out, std::string_view eol)
{
    AppendLine(out, "  mysql_close($conn);", eol);
    AppendLine(out, "  echo 'Finished';", eol);
    AppendLine(out, "?>", eol);
}

std::vector<std::string> PrologueStatements(const DumpSessionOptions& options)
{
    std::vector<std::string> statements;
    const std::string& charset = options.serverCharset;
    if (options.addSetNames && !charset.empty()) {
        statements.emplace_back("SET @OLD_CHARACTER_SET_CLIENT=@@CHARACTER_SET_CLIENT");
        statements.emplace_back("SET @OLD_CHARACTER_SET_RESULTS=@@CHARACTER_SET_RESULTS");
        statements.emplace_back("SET @OLD_CHARACTER_SET_CONNECTION=@@CHARACTER_SET_CONNECTION");
        statements.emplace_back("SET @OLD_COLLATION_CONNECTION=@@COLLATION_CONNECTION");
        statements.push_back("SET CHARACTER_SET_CLIENT='" + charset + "'");
        statements.push_back("SET CHARACTER_SET_RESULTS='" + charset + "'");
        statements.push_back("SET CHARACTER_SET_CONNECTION='" + charset + "'");
        statements.push_back("SET NAMES '" + charset + "'");
    }
    if (options.addUniqueChecks) {
        statements.emplace_back("SET @OLD_UNIQUE_CHECKS=@@UNIQUE_CHECKS");
        statements.emplace_back("SET UNIQUE_CHECKS=0");
    }
    if (options.addForeignKeyChecks) {
        statements.emplace_back("SET @OLD_FOREIGN_KEY_CHECKS=@@FOREIGN_KEY_CHECKS");
        statements.emplace_back("SET FOREIGN_KEY_CHECKS=0");
    }
    if (options.sqlModeLines) {
        statements.emplace_back("SET @OLD_SQL_MODE=@@SQL_MODE");
        statements.emplace_back("SET SQL_MODE='NO_AUTO_VALUE_ON_ZERO'");
    }
    // The source session reads TIMESTAMP values in UTC; the restoring session must
    // take them back in UTC too, whatever its own time zone is.
    if (options.utcSession) {
        statements.emplace_back("SET @OLD_TIME_ZONE=@@TIME_ZONE");
        statements.emplace_back("SET TIME_ZONE='+00:00'");
    }
    if (options.addSqlNotes) {
        statements.emplace_back("SET @OLD_SQL_NOTES=@@SQL_NOTES");
        statements.emplace_back("SET SQL_NOTES=0");
    }
    return statements;
}

std::vector<std::string> EpilogueStatements(const DumpSessionOptions& options)
{
    std::vector<std::string> statements;
    if (options.utcSession)
        statements.emplace_back("SET TIME_ZONE=@OLD_TIME_ZONE");
    if (options.sqlModeLines)
        statements.emplace_back("SET SQL_MODE=@OLD_SQL_MODE");
    if (options.addForeignKeyChecks)
        statements.emplace_back("SET FOREIGN_KEY_CHECKS=@OLD_FOREIGN_KEY_CHECKS");
    if (options.addUniqueChecks)
        statements.emplace_back("SET UNIQUE_CHECKS=@OLD_UNIQUE_CHECKS");
    if (options.addSqlNotes)
        statements.emplace_back("SET SQL_NOTES=@OLD_SQL_NOTES");
    if (options.addSetNames && !options.serverCharset.empty()) {
        statements.emplace_back("SET CHARACTER_SET_CLIENT=@OLD_CHARACTER_SET_CLIENT");
        statements.emplace_back("SET CHARACTER_SET_RESULTS=@OLD_CHARACTER_SET_RESULTS");
        statements.emplace_back("SET CHARACTER_SET_CONNECTION=@OLD_CHARACTER_SET_CONNECTION");
        statements.emplace_back("SET COLLATION_CONNECTION=@OLD_COLLATION_CONNECTION");
    }
    return statements;
}

} // namespace kelvanto
