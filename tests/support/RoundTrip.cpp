#include "tests/support/RoundTrip.h"

#include "tests/support/TempDir.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace kelvanto::test
{

namespace
{

const std::string kMarker = "@@kelvanto-roundtrip@@ ";

std::string ReadFile(const std::filesystem::path& path, bool* ok = nullptr)
{
    std::ifstream file(path, std::ios::binary);
    if (ok)
        *ok = static_cast<bool>(file);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

int ExitCode(int status)
{
    if (status == -1 || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

std::vector<std::string> SplitLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream stream(text);
    std::string line;
    while (std::getline(stream, line))
        lines.push_back(line);
    return lines;
}

std::string FromHex(const std::string& hex)
{
    std::string bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    return bytes;
}

std::string ReplaceAll(std::string text, const std::string& from, const std::string& to)
{
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

std::string FixturePath(const std::string& relative)
{
    std::string root = Env("KELVANTO_FIXTURES_DIR");
    if (root.empty())
        root = std::string(Env("KELVANTO_SOURCE_DIR")) + "/tests/data";
    return root + "/" + relative;
}

// The name as a text literal that compares equal to information_schema's columns.
std::string NameLiteral(const std::string& name)
{
    return "CONVERT(" + HexLiteral(name) + " USING utf8mb4)";
}

} // namespace

std::string UniqueDatabaseName(const std::string& stem)
{
    static std::atomic<int> counter {0};
    return stem + "_" + std::to_string(::getpid()) + "_" + std::to_string(++counter);
}

std::string QuoteName(const std::string& name)
{
    return "`" + ReplaceAll(name, "`", "``") + "`";
}

std::string HexLiteral(const std::string& bytes)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string hex = "X'";
    for (unsigned char c : bytes) {
        hex += digits[c >> 4];
        hex += digits[c & 15];
    }
    return hex + "'";
}

int RunMariadbClientOnFile(const TestServerAddress& server, const std::filesystem::path& file, std::string* output,
    const std::string& extraArguments)
{
    TempDir dir;
    const auto out = dir.path() / "output.txt";
    std::string command = "mariadb --no-defaults --batch --skip-column-names --default-character-set=utf8mb4 -h"
        + ShellQuote(server.host) + " -P" + std::to_string(server.port) + " -u" + ShellQuote(server.user);
    if (!server.password.empty())
        command += " -p" + ShellQuote(server.password);
    command += " " + extraArguments + " < " + ShellQuote(file.string()) + " > " + ShellQuote(out.string()) + " 2>&1";
    const int status = std::system(command.c_str());
    if (output)
        *output = ReadFile(out);
    return ExitCode(status);
}

std::string LoadSakila(const TestServerAddress& server, const std::string& database)
{
    bool schemaOk = false;
    bool dataOk = false;
    std::string schema = ReadFile(FixturePath("sakila/sakila-schema.sql"), &schemaOk);
    std::string data = ReadFile(FixturePath("sakila/sakila-data.sql"), &dataOk);
    if (!schemaOk || !dataOk)
        return "cannot read the Sakila files below " + FixturePath("sakila");
    const std::string quoted = QuoteName(database);
    for (std::string* text : {&schema, &data}) {
        *text = ReplaceAll(*text, "DROP SCHEMA IF EXISTS sakila;", "DROP SCHEMA IF EXISTS " + quoted + ";");
        *text = ReplaceAll(*text, "CREATE SCHEMA sakila;", "CREATE SCHEMA " + quoted + ";");
        *text = ReplaceAll(*text, "USE sakila;", "USE " + quoted + ";");
        *text = ReplaceAll(*text, "sakila.", quoted + ".");
    }
    // Fresh statistics: without them the optimizer may take seconds for a view such as
    // sales_by_store on tables loaded a moment ago.
    const std::string analyze = "ANALYZE TABLE actor, address, category, city, country, customer, film, film_actor, "
                                "film_category, film_text, inventory, language, payment, rental, staff, store;\n";
    std::string output;
    if (RunMariadbClient(server, schema + data + analyze, &output) != 0)
        return "loading Sakila failed: " + output;
    return {};
}

int RunPhpDump(const std::filesystem::path& page, const TestServerAddress& target, std::string* output)
{
    TempDir dir;
    const auto out = dir.path() / "output.txt";
    const std::string command = "KELVANTO_PHP_RESTORE_HOST=" + ShellQuote(target.host) + " KELVANTO_PHP_RESTORE_PORT="
        + std::to_string(target.port) + " php -d short_open_tag=1 -d display_errors=stderr -d auto_prepend_file="
        + ShellQuote(FixturePath("php/mysql-compat.php")) + " " + ShellQuote(page.string()) + " > "
        + ShellQuote(out.string()) + " 2>&1";
    const int status = std::system(command.c_str());
    if (output)
        *output = ReadFile(out);
    return ExitCode(status);
}

std::size_t DatabaseFingerprint::tableCount() const
{
    return static_cast<std::size_t>(
        std::count_if(objects.begin(), objects.end(), [](const auto& entry) { return !entry.second.isView; }));
}

std::size_t DatabaseFingerprint::viewCount() const
{
    return objects.size() - tableCount();
}

DatabaseFingerprint TakeFingerprint(const TestServerAddress& server, const std::string& database)
{
    DatabaseFingerprint fingerprint;
    const std::string db = NameLiteral(database);
    std::string output;
    if (RunMariadbClient(server,
            "SELECT COUNT(*) FROM information_schema.SCHEMATA WHERE SCHEMA_NAME = " + db
                + ";\nSELECT HEX(TABLE_NAME), TABLE_TYPE FROM information_schema.TABLES WHERE "
                  "TABLE_SCHEMA = "
                + db + " ORDER BY TABLE_NAME;\n",
            &output)
        != 0) {
        fingerprint.error = "listing the tables failed: " + output;
        return fingerprint;
    }
    const auto lines = SplitLines(output);
    fingerprint.exists = !lines.empty() && lines.front() == "1";
    if (!fingerprint.exists)
        return fingerprint;

    // Fresh tables have no index statistics yet, and some views then take minutes.
    std::string analyze;
    std::string script;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const auto tab = lines[i].find('\t');
        if (tab == std::string::npos)
            continue;
        const std::string hex = lines[i].substr(0, tab);
        const std::string name = FromHex(hex);
        const bool isView = lines[i].substr(tab + 1) == "VIEW";
        fingerprint.objects[name].isView = isView;
        const std::string object = QuoteName(database) + "." + QuoteName(name);
        script += "SELECT '" + kMarker + "columns " + hex + "';\n";
        script += "SELECT CONCAT_WS(' | ', COLUMN_NAME, COLUMN_TYPE, IS_NULLABLE, IFNULL(COLUMN_DEFAULT, '(none)'), "
                  "IFNULL(COLLATION_NAME, '-'), EXTRA) FROM information_schema.COLUMNS WHERE TABLE_SCHEMA = "
            + db + " AND TABLE_NAME = " + NameLiteral(name) + " ORDER BY ORDINAL_POSITION;\n";
        script += "SELECT '" + kMarker + "count " + hex + "';\nSELECT COUNT(*) FROM " + object + ";\n";
        if (isView) {
            script += "SELECT '" + kMarker + "rows " + hex + "';\nSELECT * FROM " + object + ";\n";
        } else {
            analyze += (analyze.empty() ? "ANALYZE TABLE " : ", ") + object;
            script += "SELECT '" + kMarker + "checksum " + hex + "';\nCHECKSUM TABLE " + object + " EXTENDED;\n";
        }
    }
    if (script.empty())
        return fingerprint;
    if (!analyze.empty())
        script = analyze + ";\n" + script;
    if (RunMariadbClient(server, script, &output) != 0) {
        fingerprint.error = "reading the tables failed: " + output;
        return fingerprint;
    }
    std::string section;
    ObjectFingerprint* current = nullptr;
    for (const std::string& line : SplitLines(output)) {
        if (line.rfind(kMarker, 0) == 0) {
            const std::string rest = line.substr(kMarker.size());
            const auto blank = rest.find(' ');
            section = rest.substr(0, blank);
            current = &fingerprint.objects[FromHex(rest.substr(blank + 1))];
            continue;
        }
        if (!current)
            continue;
        if (section == "columns")
            current->columns += line + "\n";
        else if (section == "count")
            current->rowCount = line;
        else if (section == "checksum")
            current->checksum = line.substr(line.rfind('\t') + 1);
        else if (section == "rows")
            current->rows.push_back(line);
    }
    for (auto& [name, object] : fingerprint.objects) {
        std::sort(object.rows.begin(), object.rows.end());
        // A table that could not be read must not pass as equal to another unreadable one.
        const bool unread = object.rowCount.empty() || object.columns.empty()
            || (!object.isView && (object.checksum.empty() || object.checksum == "NULL"));
        if (unread && fingerprint.error.empty())
            fingerprint.error = "could not read " + name + ": " + output;
    }
    return fingerprint;
}

std::vector<std::string> CompareFingerprints(const DatabaseFingerprint& expected, const DatabaseFingerprint& actual)
{
    std::vector<std::string> differences;
    if (!expected.error.empty())
        differences.push_back("source: " + expected.error);
    if (!actual.error.empty())
        differences.push_back("copy: " + actual.error);
    if (expected.exists != actual.exists)
        differences.push_back(std::string("database ") + (actual.exists ? "exists only in the copy" : "missing"));
    for (const auto& [name, object] : expected.objects) {
        const auto found = actual.objects.find(name);
        const std::string what = (object.isView ? "view " : "table ") + name;
        if (found == actual.objects.end()) {
            differences.push_back(what + ": missing in the copy");
            continue;
        }
        const ObjectFingerprint& copy = found->second;
        if (copy.isView != object.isView)
            differences.push_back(what + ": is a " + (copy.isView ? "view" : "table") + " in the copy");
        if (copy.columns != object.columns)
            differences.push_back(what + ": columns differ:\n" + object.columns + "  versus\n" + copy.columns);
        if (copy.rowCount != object.rowCount)
            differences.push_back(what + ": " + object.rowCount + " rows, copy " + copy.rowCount);
        if (copy.checksum != object.checksum)
            differences.push_back(what + ": checksum " + object.checksum + ", copy " + copy.checksum);
        if (copy.rows != object.rows) {
            std::size_t i = 0;
            while (i < object.rows.size() && i < copy.rows.size() && object.rows[i] == copy.rows[i])
                ++i;
            differences.push_back(what + ": result differs at sorted row " + std::to_string(i) + ": '"
                + (i < object.rows.size() ? object.rows[i] : "(none)") + "' versus '"
                + (i < copy.rows.size() ? copy.rows[i] : "(none)") + "'");
        }
    }
    for (const auto& entry : actual.objects) {
        if (!expected.objects.count(entry.first))
            differences.push_back("object " + entry.first + ": only in the copy");
    }
    return differences;
}

std::vector<std::string> DifferingValues(const TestServerAddress& serverA, const TestServerAddress& serverB,
    const std::string& database, const std::string& table, const std::string& orderBy, std::size_t limit)
{
    std::string output;
    RunMariadbClient(serverA,
        "SELECT HEX(COLUMN_NAME) FROM information_schema.COLUMNS WHERE TABLE_SCHEMA = " + NameLiteral(database)
            + " AND TABLE_NAME = " + NameLiteral(table) + " ORDER BY ORDINAL_POSITION;\n",
        &output);
    std::vector<std::string> columns;
    for (const std::string& hex : SplitLines(output))
        columns.push_back(FromHex(hex));
    if (columns.empty())
        return {"no columns found for " + table};
    std::string select = "SELECT ";
    for (std::size_t i = 0; i < columns.size(); ++i)
        select += (i ? ", " : "") + std::string("IFNULL(HEX(") + QuoteName(columns[i]) + "), 'NULL')";
    select += " FROM " + QuoteName(database) + "." + QuoteName(table) + " ORDER BY " + orderBy + ";\n";
    std::string outputA;
    std::string outputB;
    RunMariadbClient(serverA, select, &outputA);
    RunMariadbClient(serverB, select, &outputB);
    const auto rowsA = SplitLines(outputA);
    const auto rowsB = SplitLines(outputB);
    std::vector<std::string> differences;
    if (rowsA.size() != rowsB.size())
        differences.push_back(std::to_string(rowsA.size()) + " rows versus " + std::to_string(rowsB.size()));
    for (std::size_t r = 0; r < rowsA.size() && r < rowsB.size() && differences.size() < limit; ++r) {
        std::vector<std::string> a;
        std::vector<std::string> b;
        std::istringstream sa(rowsA[r]);
        std::istringstream sb(rowsB[r]);
        for (std::string cell; std::getline(sa, cell, '\t');)
            a.push_back(cell);
        for (std::string cell; std::getline(sb, cell, '\t');)
            b.push_back(cell);
        for (std::size_t c = 0; c < columns.size() && differences.size() < limit; ++c) {
            const std::string va = c < a.size() ? a[c] : "(missing)";
            const std::string vb = c < b.size() ? b[c] : "(missing)";
            if (va != vb)
                differences.push_back(
                    "row " + std::to_string(r) + " column " + columns[c] + ": HEX " + va + " became " + vb);
        }
    }
    return differences;
}

} // namespace kelvanto::test
