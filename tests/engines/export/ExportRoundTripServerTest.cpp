// Sakila and the hard values exported from the real server in each of the four formats and
// read back by readers that know nothing of the writers (tests/data/export_reader.py: a
// delimited-text reader that knows the backslash escapes, expat for XML, html.parser for
// HTML); every file must give the object's columns and rows. What an export deliberately
// loses is taken off the server's values first: NULL is "", blanks at both ends are trimmed,
// the text NULL is "", and in XML and HTML an entity that a value holds stands for its character.
// Every stored column is exported, INVISIBLE ones too.
#include "engines/export/ExportFileName.h"
#include "engines/export/ExportTables.h"
#include "mysql/MySqlLibrary.h"
#include "mysql/OpenConnection.h"
#include "mysql/ServerProbes.h"
#include "tests/support/FakeRunContext.h"
#include "tests/support/HardValues.h"
#include "tests/support/RoundTrip.h"
#include "tests/support/RoundTripDatabase.h"
#include "tests/support/RoundTripEngine.h"
#include "tests/support/ServerSession.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestServer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace kelvanto::test
{
namespace
{

using Rows = std::vector<std::vector<std::string>>;

struct ReadBack
{
    std::vector<std::string> header;
    Rows rows;
};

std::string ReadFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string Hex(const std::string& bytes)
{
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    for (unsigned char c : bytes) {
        hex += digits[c >> 4];
        hex += digits[c & 15];
    }
    return hex;
}

std::string Unhex(const std::string& hex)
{
    std::string bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    return bytes;
}

// Every file read back by the reader, by path; the reader's complaint in *error.
std::map<std::string, ReadBack> ReadExports(
    const ExportSettings& settings, const std::vector<std::string>& files, const std::filesystem::path& out)
{
    static const char* formats[] = {"", "csv", "xml", "html", "text"};
    const auto hexOrDash = [](const std::string& text) { return text.empty() ? std::string("-") : Hex(text); };
    std::string command = "python3 " + ShellQuote(std::string(Env("KELVANTO_FIXTURES_DIR")) + "/export_reader.py") + " "
        + formats[settings.fileType] + " " + hexOrDash(settings.fieldsTerminatedBy) + " "
        + hexOrDash(settings.fieldsEnclosedBy) + " " + hexOrDash(settings.linesTerminatedBy);
    for (const auto& file : files)
        command += " " + ShellQuote(file);
    command += " > " + ShellQuote(out.string()) + " 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0) << ReadFile(out);
    std::map<std::string, ReadBack> result;
    std::istringstream lines(ReadFile(out));
    ReadBack* current = nullptr;
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("F ", 0) == 0) {
            current = &result[line.substr(2)];
            continue;
        }
        if (!current || line.size() < 2)
            continue;
        std::vector<std::string> cells;
        std::istringstream words(line.substr(2));
        for (std::string word; words >> word;)
            cells.push_back(word == "." ? std::string() : Unhex(word));
        if (line[0] == 'H')
            current->header = std::move(cells);
        else
            current->rows.push_back(std::move(cells));
    }
    return result;
}

void ReplaceEvery(std::string& text, const std::string& from, const std::string& to)
{
    for (auto at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

// The columns and rows of an object as the export should give them back.
// Every column the server lists, INVISIBLE ones too, in table order.
std::string EveryColumn(Connection& connection, const TableItem& object)
{
    EXPECT_TRUE(connection.Query("SHOW COLUMNS FROM " + QuoteName(object.name))) << connection.ErrorText();
    auto result = connection.StoreResult();
    std::string list;
    RowView row;
    while (result && result->FetchRow(row))
        list += (list.empty() ? "" : ",") + QuoteName(std::string(row.value(0)));
    return list;
}

ReadBack Expected(Connection& connection, const TableItem& object, int fileType, std::string selectList = "")
{
    ReadBack expected;
    EXPECT_TRUE(connection.SelectDatabase(object.database));
    NegotiateCharset(connection, true);
    if (selectList.empty())
        selectList = EveryColumn(connection, object);
    EXPECT_TRUE(connection.Query("SELECT " + selectList + " FROM " + QuoteName(object.name))) << connection.ErrorText();
    auto result = connection.UseResult();
    for (const FieldInfo& field : result->Fields())
        expected.header.push_back(field.name);
    RowView row;
    while (result->FetchRow(row)) {
        std::vector<std::string> cells;
        for (std::size_t i = 0; i < row.count; ++i) {
            std::string_view value = row.value(i);
            const auto first = value.find_first_not_of(" \t\v\f");
            value = first == std::string_view::npos ? std::string_view() : value.substr(first);
            value = value.substr(0, value.find_last_not_of(" \t\v\f") + 1);
            std::string cell(value == "NULL" ? std::string_view() : value);
            // XML and HTML take entities that a value already holds as written, not as text.
            if (fileType == 2 || fileType == 3) {
                std::vector<std::pair<std::string, std::string>> entities {
                    {"&amp;", "&"}, {"&amp", "&"}, {"&gt;", ">"}, {"&gt", ">"}, {"&lt;", "<"}, {"&lt", "<"}};
                if (fileType == 3)
                    entities.insert(entities.begin() + 2, {{"&nbsp;", " "}, {"&nbsp", " "}});
                for (const auto& [entity, character] : entities)
                    ReplaceEvery(cell, entity, character);
            }
            cells.push_back(std::move(cell));
        }
        expected.rows.push_back(std::move(cells));
    }
    return expected;
}

void ExpectSame(ReadBack actual, ReadBack expected)
{
    EXPECT_EQ(actual.header, expected.header);
    std::sort(actual.rows.begin(), actual.rows.end());
    std::sort(expected.rows.begin(), expected.rows.end());
    ASSERT_EQ(actual.rows.size(), expected.rows.size());
    for (std::size_t r = 0; r < actual.rows.size(); ++r) {
        EXPECT_EQ(actual.rows[r].size(), expected.rows[r].size()) << "row " << r;
        for (std::size_t c = 0; c < std::min(actual.rows[r].size(), expected.rows[r].size()); ++c) {
            if (actual.rows[r][c] != expected.rows[r][c]) {
                const std::string& a = actual.rows[r][c];
                const std::string& e = expected.rows[r][c];
                std::size_t at = 0;
                while (at < a.size() && at < e.size() && a[at] == e[at])
                    ++at;
                ADD_FAILURE() << "row " << r << " column " << c << " differs at byte " << at << " of " << e.size()
                              << ": '" << Hex(a.substr(at, 12)) << "' instead of '" << Hex(e.substr(at, 12)) << "'";
                break;
            }
        }
    }
}

struct FormatRow
{
    const char* name;
    int fileType;
};

void PrintTo(const FormatRow& row, std::ostream* os)
{
    *os << row.name;
}

class ExportRoundTrip : public ::testing::TestWithParam<FormatRow>
{
protected:
    static void TearDownTestSuite()
    {
        s_sakila.reset();
        s_hard.reset();
    }

    static bool EnsureSources(const TestServerAddress& server)
    {
        if (!s_sakila) {
            s_sakila = std::make_unique<RoundTripDatabase>("kv_export_sakila", std::vector {server});
            s_hard = std::make_unique<RoundTripDatabase>("kv export`hard", std::vector {server});
            s_loadError = LoadSakila(server, s_sakila->name());
            std::string output;
            if (RunMariadbClient(server, HardValuesScript(s_hard->name()), &output) != 0)
                s_loadError += output;
        }
        EXPECT_EQ(s_loadError, "");
        return s_loadError.empty();
    }

    static inline std::unique_ptr<RoundTripDatabase> s_sakila;
    static inline std::unique_ptr<RoundTripDatabase> s_hard;
    static inline std::string s_loadError;
};

TEST_P(ExportRoundTrip, EveryFileReadsBackAsTheObjectsRows)
{
    KELVANTO_REQUIRE_SERVER(server, 1);
    ASSERT_TRUE(EnsureSources(server));
    InitMySqlLibrary();
    const FormatRow& format = GetParam();
    TempDir dir;

    Task task;
    task.type = TaskType::ExportTables;
    task.source = SettingsFor(server);
    ExportSettings& settings = task.exportSettings;
    settings.fileType = static_cast<std::uint8_t>(format.fileType);
    settings.directory = (dir.path() / "exports").string();
    if (format.fileType == 1 || format.fileType == 4) {
        settings.fieldsTerminatedBy = format.fileType == 1 ? "," : "\t";
        settings.fieldsEnclosedBy = format.fileType == 1 ? "\"" : "";
        settings.linesTerminatedBy = "\r\n";
        settings.columnNamesOnTop = 1;
    }
    for (const std::string& database : {s_sakila->name(), s_hard->name()}) {
        for (const TableItem& object : ListObjectsForTask(server, database))
            task.exportTables.push_back(object);
    }

    FakeRunContext context(task, dir.path());
    ASSERT_EQ(RunExportTables(context, MakeMariaDbConnector()), RunOutcome::Finished) << context.LogText();
    std::vector<std::string> files;
    for (std::size_t i = 0; i < task.exportTables.size(); ++i)
        files.push_back(BuildExportFileName(settings, task.exportTables, i));
    EXPECT_EQ(context.LogTexts().end()[-2], "Exported " + std::to_string(files.size()) + " tables and views");

    const auto read = ReadExports(settings, files, dir.path() / "reader.txt");
    auto connection = Open(task.source);
    ASSERT_TRUE(connection);
    for (std::size_t i = 0; i < files.size(); ++i) {
        const TableItem& object = task.exportTables[i];
        SCOPED_TRACE(object.database + "." + object.name);
        ASSERT_EQ(read.count(files[i]), 1u);
        ExpectSame(read.at(files[i]), Expected(*connection, object, format.fileType));
    }
}

// Every stored column, INVISIBLE and generated ones too, and values that XML cannot hold as
// text (C0 controls, U+FFFF, bytes that are not UTF-8), read back by expat as written.
TEST(ExportXml, InvisibleColumnsAndValuesXmlCannotHoldReadBackEqual)
{
    KELVANTO_REQUIRE_SERVER(server, 1);
    InitMySqlLibrary();
    TempDir dir;
    RoundTripDatabase database("kv_export_xml", {server});
    // `order date` is no XML name, and FIELD5 (its fallback) is taken by a column of its own.
    const std::string script = "CREATE DATABASE " + QuoteName(database.name()) + ";\nUSE " + QuoteName(database.name())
        + ";\nCREATE TABLE t (id INT PRIMARY KEY, note TEXT CHARACTER SET utf8mb4, bin BLOB,"
          " secret VARCHAR(40) INVISIBLE, `order date` DATE, FIELD5 INT, twice INT AS (id * 2) VIRTUAL);\n"
          "INSERT INTO t (id, note, bin, secret, `order date`, FIELD5) VALUES"
          " (1, X'610162', X'00FF01', 'hidden', '2026-12-07', 5),"
          " (2, X'1A001F', X'C3', 'x\"y', NULL, NULL),"
          " (3, 'plain & <ok> \"q\" \t tab', 'text', NULL, NULL, 6),"
          " (4, X'EFBFBF', '', 'nonchar', NULL, NULL),"
          " (5, X'6E61C3AF7665E29C93', X'0D0A09', 'lines', NULL, NULL);\n";
    std::string output;
    ASSERT_EQ(RunMariadbClient(server, script, &output), 0) << output;

    Task task;
    task.type = TaskType::ExportTables;
    task.source = SettingsFor(server);
    task.exportSettings.fileType = 2;
    task.exportSettings.directory = (dir.path() / "exports").string();
    task.exportTables = ListObjectsForTask(server, database.name());
    ASSERT_EQ(task.exportTables.size(), 1u);
    FakeRunContext context(task, dir.path());
    ASSERT_EQ(RunExportTables(context, MakeMariaDbConnector()), RunOutcome::Finished) << context.LogText();

    const std::string file = BuildExportFileName(task.exportSettings, task.exportTables, 0);
    const std::string text = ReadFile(file);
    EXPECT_NE(text.find("<BASE64 AttrName=\"note\"/>"), std::string::npos) << text;
    EXPECT_NE(text.find("AttrName=\"FIELD5_\""), std::string::npos) << text;
    const auto read = ReadExports(task.exportSettings, {file}, dir.path() / "reader.txt");
    ASSERT_EQ(read.count(file), 1u);
    auto connection = Open(task.source);
    ASSERT_TRUE(connection);
    ExpectSame(read.at(file),
        Expected(*connection, task.exportTables[0], 2, "id, note, bin, secret, `order date`, FIELD5, twice"));
}

INSTANTIATE_TEST_SUITE_P(Formats, ExportRoundTrip,
    ::testing::Values(FormatRow {"Csv", 1}, FormatRow {"Xml", 2}, FormatRow {"Html", 3}, FormatRow {"Text", 4}),
    [](const auto& row) { return std::string(row.param.name); });

} // namespace
} // namespace kelvanto::test
