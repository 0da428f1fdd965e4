#include "engines/sql/SqlSplitter.h"
#include "model/TaskTexts.h"
#include "tests/cli/CliHarness.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdlib>

namespace kelvanto
{
namespace
{

using nlohmann::json;
using test::CliHarness;

std::filesystem::path ExamplesDir()
{
    const char* source = std::getenv("KELVANTO_SOURCE_DIR");
    return std::filesystem::path(source ? source : ".") / "examples";
}

// Every member of `part` is in `whole` with the same value (objects recursively, arrays
// element by element); the path of the first difference otherwise.
std::string Contains(const json& whole, const json& part, const std::string& path = "")
{
    if (part.is_object()) {
        if (!whole.is_object())
            return path + " is not an object";
        for (auto it = part.begin(); it != part.end(); ++it) {
            if (!whole.contains(it.key()))
                return path + "." + it.key() + " is missing";
            if (auto d = Contains(whole[it.key()], it.value(), path + "." + it.key()); !d.empty())
                return d;
        }
        return {};
    }
    if (part.is_array()) {
        if (!whole.is_array() || whole.size() != part.size())
            return path + " differs in length";
        for (std::size_t i = 0; i < part.size(); ++i) {
            if (auto d = Contains(whole[i], part[i], path + "[" + std::to_string(i) + "]"); !d.empty())
                return d;
        }
        return {};
    }
    return whole == part ? std::string() : path + ": " + whole.dump() + " != " + part.dump();
}

json Stamp(const TimeStamp& t)
{
    return {{"year", t.year}, {"month", t.month}, {"day", t.day}, {"hour", t.hour}, {"minute", t.minute},
        {"second", t.second}, {"dayOfWeek", t.dayOfWeek}};
}

TEST(TaskImportExportTest, EveryExampleComesBackAsItWasImported)
{
    std::vector<std::filesystem::path> examples;
    for (const auto& entry : std::filesystem::directory_iterator(ExamplesDir())) {
        if (entry.path().extension() == ".json")
            examples.push_back(entry.path());
    }
    std::sort(examples.begin(), examples.end());
    ASSERT_EQ(examples.size(), 8u) << "one example per task type";

    std::vector<int> types;
    for (const auto& file : examples) {
        SCOPED_TRACE(file.filename().string());
        const json example = json::parse(CliHarness().ReadFile(file));
        const std::string name = example.at("name");
        types.push_back(example.at("type"));

        CliHarness first;
        // The shortcuts of the hand-written form come back in the full form.
        json expected = example;
        json input = example;
        if (example.contains("script")) {
            const Result<std::vector<std::string>> statements = SplitScript(example["script"].get<std::string>());
            ASSERT_TRUE(statements.ok()) << statements.error();
            expected.erase("script");
            expected["sqlStatements"] = *statements;
        }
        for (std::size_t i = 0; example.contains("restoreFiles") && i < example["restoreFiles"].size(); ++i) {
            if (example["restoreFiles"][i].size() != 1)
                continue;
            // A file given by its path alone must exist: one of the example's name stands in.
            const std::string fileName = std::filesystem::path(example["restoreFiles"][i]["path"]).filename();
            const std::string path = first.WriteFile(fileName, "SELECT 1;\n");
            input["restoreFiles"][i]["path"] = path;
            expected["restoreFiles"][i] = {{"checkState", 0}, {"fileName", fileName}, {"path", path}, {"size", 10}};
        }
        auto imported = first.Run({"task", "import", "-"}, input.dump());
        ASSERT_EQ(imported.code, 0) << imported.err;
        auto exported = first.Run({"task", "export", name, "--with-passwords"});
        ASSERT_EQ(exported.code, 0) << exported.err;
        const json back = json::parse(exported.out);

        // What the wizard sets on creation replaces what the file said; the rest is kept.
        expected["status"] = 2;
        expected["runNow"] = 0;
        expected["createdTime"] = Stamp(CliHarness::kNow);
        expected["logFileName"] = MakeLogFileName(name, CliHarness::kNow);
        expected["taskId"] = MakeTaskId(CliHarness::kNow, 0);
        EXPECT_EQ(Contains(back, expected), "");

        // The exported form imports to the very same task in another data folder.
        CliHarness second;
        ASSERT_EQ(second.Run({"task", "import", "-"}, exported.out).code, 0);
        EXPECT_EQ(second.Run({"task", "export", name, "--with-passwords"}).out, exported.out);
    }
    std::sort(types.begin(), types.end());
    EXPECT_EQ(types, (std::vector<int> {1, 2, 3, 4, 5, 6, 7, 8}));
}

// The task list file bytes, written out by hand from the file layout.
class LayoutBytes
{
public:
    LayoutBytes& U8(unsigned v)
    {
        bytes += static_cast<char>(v);
        return *this;
    }
    LayoutBytes& U32(std::uint32_t v)
    {
        for (int i = 0; i < 4; ++i)
            bytes += static_cast<char>((v >> (8 * i)) & 0xFF);
        return *this;
    }
    LayoutBytes& I32(std::int32_t v) { return U32(static_cast<std::uint32_t>(v)); }
    LayoutBytes& Str(const std::string& s)
    {
        I32(static_cast<std::int32_t>(s.size()));
        for (char c : s)
            bytes += static_cast<char>(c ^ 0x6E);
        return *this;
    }
    LayoutBytes& Stamp(const TimeStamp& t)
    {
        for (int v : {t.year, t.month, t.day, t.hour, t.minute, t.second, t.dayOfWeek})
            I32(v);
        return *this;
    }
    LayoutBytes& Server()
    {
        Str("").Str("localhost").I32(3306).Str("root").Str("").Str("").Str("");
        return U8(0).U8(0).U8(0).U8(0);
    }
    std::string bytes;
};

TEST(TaskImportExportTest, TheTaskListFileFollowsTheLayoutByteForByte)
{
    CliHarness h;
    const std::string file = h.WriteFile("t.json", R"({"name": "T", "type": 5, "sqlStatements": ["SELECT 1"]})");
    ASSERT_EQ(h.Run({"task", "import", file}).code, 0);

    LayoutBytes b;
    b.U32(0xCABDF9E0).I32(1);
    b.U32(0xCABDF9E0).Str("2026127930150").U8(0).Str("T").Str("").U8(5).U8(2);
    b.Stamp(CliHarness::kNow).Stamp({}).Stamp({}).Stamp({}).Str("T_202612793015.log");
    b.Server().Server();
    b.U8(1).Str("").Str("").Str("").Str("").Str("").U8(0); // export settings
    b.I32(0); // export tables
    for (unsigned flag : {1, 1, 0, 0, 1, 1, 0, 0, 0, 0, 1, 1, 1, 0, 1, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 1, 1, 2, 1})
        b.U8(flag); // 28 flags and fileSplit
    // autoDelete, autoDeleteLimit, newFolderPerRun, unixLineEnds (1: a new task writes LF), reserved,
    // createDatabase, destDatabaseName
    b.Str("").Str("").Str("%HOST%_%DATE%_%TIME%").U8(0).I32(0).U8(0).U8(1).U8(0).U8(0).Str("");
    b.I32(0); // databases
    b.U8(0).I32(0).I32(0);
    for (int i = 0; i < 7 + 31; ++i)
        b.U8(0);
    b.I32(0).I32(0).I32(0).I32(0).I32(30); // special date, repeat, interval
    b.I32(1).Str("SELECT 1"); // statements
    b.I32(0); // history
    b.U8(0).U8(0).I32(0); // restore options and files
    b.U32(0xCABDF9E0);
    EXPECT_EQ(h.ReadFile(h.taskListFile()), b.bytes);

    // The wizard's log: the file is made, then "Create task".
    auto log = h.Run({"log", "T"});
    EXPECT_EQ(log.code, 0);
    EXPECT_EQ(log.out, "1\tMon, Dec 07, 2026 09:30:15\tGeneral Info\tCreate task\n");
}

TEST(TaskImportExportTest, RefusalsLeaveTheTaskListAsItWas)
{
    struct Row
    {
        const char* name;
        std::string json;
        std::string err; // the whole error output, or a part of it when partial
        bool partial;
    };
    const Row rows[] = {
        {"duplicate name", R"({"name": "Existing", "type": 2})",
            "The task name already exists!\nPlease choose a different task name.\n", false},
        {"empty name", R"({"name": ""})", "Please input the task name.\n", false},
        {"no name", R"({"type": 1})", "Please input the task name.\n", false},
        {"unknown field", R"({"name": "N", "nmae": "x"})", "nmae: unknown field", true},
        {"wrong type", R"({"name": "N", "backupSettings": {"fileSplit": "1"}})",
            "backupSettings.fileSplit: must be an integer from 0 to 255", true},
        {"type out of range", R"({"name": "N", "type": 9})", "type: must be a task type from 1 to 8", true},
        {"kind out of range", R"({"name": "N", "schedule": {"kind": 6}})", "schedule.kind: must be", true},
        {"not JSON", "name: N", "not valid JSON", true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        CliHarness h;
        ASSERT_EQ(h.Run({"task", "import", "-"}, R"({"name": "Existing"})").code, 0);
        const std::string before = h.ReadFile(h.taskListFile());
        auto result = h.Run({"task", "import", h.WriteFile("t.json", row.json)});
        EXPECT_EQ(result.code, 1);
        if (row.partial)
            EXPECT_NE(result.err.find(row.err), std::string::npos) << result.err;
        else
            EXPECT_EQ(result.err, row.err);
        EXPECT_EQ(h.ReadFile(h.taskListFile()), before);
        EXPECT_EQ(h.Run({"list"}).out.find("N\t"), std::string::npos);
    }

    CliHarness h;
    ASSERT_EQ(h.Run({"task", "import", "-"}, R"({"name": "Existing"})").code, 0);
    EXPECT_EQ(h.Run({"task", "import", "-"}, R"({"name": "existing"})").code, 0) << "names are case-sensitive";
    EXPECT_EQ(h.Run({"task", "import", (h.tmp.path() / "missing.json").string()}).code, 1);
    EXPECT_EQ(h.Run({"task", "export", "nobody"}).code, 1);
}

// Export leaves passwords out unless asked; a history handed in is never kept, so that no
// imported entry can make rotation delete the file it names.
TEST(TaskImportExportTest, ExportLeavesPasswordsOutAndImportDropsTheBackupHistory)
{
    CliHarness h;
    const std::string outside = h.WriteFile("precious.sql", "keep me");
    json task = {{"name", "Secret"}, {"type", 1}, {"source", {{"password", "s3cret"}}},
        {"destination", {{"password", "d3st"}}},
        {"extras", {{"verifyRestore", {{"server", {{"host", "verify"}, {"password", {{"hex", "76ff"}}}}}}}}},
        {"backupHistory", json::array({{{"files", json::array({outside})}, {"fileMode", 2}}})}};
    ASSERT_EQ(h.Run({"task", "import", "-"}, task.dump()).code, 0);

    // Every password, wherever it sits: none of the text of one is left.
    const auto plainText = h.Run({"task", "export", "Secret"}).out;
    for (const char* secret : {"s3cret", "d3st", "76ff"})
        EXPECT_EQ(plainText.find(secret), std::string::npos) << secret;
    const json plain = json::parse(plainText);
    EXPECT_EQ(plain["source"]["password"], "");
    EXPECT_EQ(plain["destination"]["password"], "");
    EXPECT_EQ(plain["extras"]["verifyRestore"]["server"]["password"], "");
    EXPECT_EQ(plain["extras"]["verifyRestore"]["server"]["host"], "verify");
    EXPECT_TRUE(plain["backupHistory"].empty());
    const json full = json::parse(h.Run({"task", "export", "--with-passwords", "Secret"}).out);
    EXPECT_EQ(full["source"]["password"], "s3cret");
    EXPECT_EQ(full["destination"]["password"], "d3st");
    EXPECT_EQ(full["extras"]["verifyRestore"]["server"]["password"], json({{"hex", "76ff"}}));
    EXPECT_EQ(h.ReadFile(outside), "keep me");
    EXPECT_EQ(h.Run({"task", "export", "Secret", "--with-passwords", "Other"}).code, 2);
}

// A task nested deeper than the limit is refused with its reason, however deep (65,000
// levels overflowed the stack), and the list stays as it was.
TEST(TaskImportExportTest, ATaskNestedTooDeepIsRefusedWithItsReason)
{
    CliHarness h;
    ASSERT_EQ(h.Run({"task", "import", "-"}, R"({"name": "Kept"})").code, 0);
    const std::string list = h.ReadFile(h.taskListFile());
    for (const std::size_t levels : {64u, 65000u}) {
        SCOPED_TRACE(levels);
        const std::string task
            = R"({"name": "Deep", "comment": )" + std::string(levels, '[') + std::string(levels, ']') + "}";
        const auto imported = h.Run({"task", "import", h.WriteFile("deep.json", task)});
        EXPECT_EQ(imported.code, 1);
        EXPECT_NE(imported.err.find("deep.json: arrays and objects nested deeper than 64 levels (at byte 91)"),
            std::string::npos)
            << imported.err;
        EXPECT_EQ(h.ReadFile(h.taskListFile()), list);
    }
}

TEST(TaskImportExportTest, ADamagedTaskListIsNeitherReadNorOverwritten)
{
    CliHarness good;
    ASSERT_EQ(good.Run({"task", "import", "-"}, R"({"name": "A"})").code, 0);
    ASSERT_EQ(good.Run({"task", "import", "-"}, R"({"name": "B"})").code, 0);
    const std::string valid = good.ReadFile(good.taskListFile());

    std::string badSecondMark = valid;
    const std::size_t second = valid.find("\xe0\xf9\xbd\xca", valid.size() / 2 - 8);
    ASSERT_NE(second, std::string::npos);
    badSecondMark[second] = 'X';

    const std::pair<const char*, std::string> damages[] = {
        {"foreign magic", "not a task list at all"},
        {"cut short", valid.substr(0, valid.size() - 10)},
        {"wrong record mark", badSecondMark},
    };
    for (const auto& [name, bytes] : damages) {
        SCOPED_TRACE(name);
        CliHarness h;
        std::filesystem::create_directories(h.dataDir());
        std::ofstream(h.taskListFile(), std::ios::binary) << bytes;
        auto imported = h.Run({"task", "import", "-"}, R"({"name": "C"})");
        EXPECT_EQ(imported.code, 1);
        EXPECT_NE(imported.err.find("left as it is"), std::string::npos) << imported.err;
        EXPECT_EQ(h.Run({"list"}).code, 1);
        EXPECT_EQ(h.ReadFile(h.taskListFile()), bytes);
    }
}

TEST(TaskImportExportTest, UsageErrorsExitWithTwo)
{
    const std::vector<std::vector<std::string>> rows = {
        {},
        {"frobnicate"},
        {"--bogus", "list"},
        {"task"},
        {"task", "frob"},
        {"task", "export"},
        {"task", "export", "a", "b"},
        {"task", "import"},
        {"list", "extra"},
        {"log"},
        {"log", "A", "--csv"},
        {"log", "A", "--frob"},
        {"log", "A", "B"},
        {"run"},
    };
    for (const auto& args : rows) {
        std::string joined;
        for (const auto& a : args)
            joined += a + " ";
        SCOPED_TRACE(joined);
        CliHarness h;
        auto result = h.Run(args);
        EXPECT_EQ(result.code, 2);
        EXPECT_FALSE(result.err.empty());
        EXPECT_TRUE(result.out.empty());
    }
    std::ostringstream out, err;
    std::istringstream in;
    CliContext context(out, err, in);
    EXPECT_EQ(CommandLine(context).Run({"--data-dir"}), 2);
    EXPECT_EQ(CommandLine(context).Run({"--help"}), 0);
    EXPECT_NE(out.str().find("usage: kelvanto-cli"), std::string::npos);
}

} // namespace
} // namespace kelvanto
