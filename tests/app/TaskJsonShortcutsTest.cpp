#include "app/TaskJson.h"

#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <ctime>
#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>

namespace kelvanto
{
namespace
{

using nlohmann::json;

TEST(TaskJsonShortcutsTest, AScriptIsSplitAsTheScriptPageSplitsIt)
{
    struct Row
    {
        const char* name;
        json task;
        std::vector<std::string> statements; // empty: refused with `error`
        std::string error;
    };
    const Row rows[] = {
        // Cut as the stock client cuts it: lines joined with LF, the delimiter not sent.
        {"split", {{"type", 5}, {"script", "-- purge\r\nDELETE FROM t\r\n  WHERE old;\r\nOPTIMIZE TABLE t"}},
            {"DELETE FROM t\n  WHERE old", "OPTIMIZE TABLE t"}, ""},
        {"bytes in hex", {{"type", 5}, {"script", {{"hex", "53454c45435420e9"}}}}, {"SELECT \xe9"}, ""},
        {"a command that reaches outside the server", {{"type", 5}, {"script", "SELECT 1;\n\\! rm -rf /tmp/x\n"}}, {},
            "script: line 2: the client command \\! (system) reaches outside the server (a program, a file or "
            "another connection) and is not run"},
        {"comments only", {{"type", 5}, {"script", "-- nothing\n\n"}}, {}, "script: Please input the SQL script."},
        {"another type", {{"type", 6}, {"script", "SELECT 1;"}}, {},
            "script: only a task of type 5 (Execute SQL script) takes a script"},
        {"both forms", {{"type", 5}, {"script", "SELECT 1;"}, {"sqlStatements", {"SELECT 2"}}}, {},
            "script: give either \"script\" or \"sqlStatements\", not both"},
        {"not a text", {{"type", 5}, {"script", 5}}, {}, "script: must be a text or {\"hex\": \"...\"}"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        auto task = TaskFromJson(row.task.dump());
        if (row.statements.empty()) {
            ASSERT_FALSE(task.ok());
            EXPECT_EQ(task.error(), row.error);
        } else {
            ASSERT_TRUE(task.ok()) << task.error();
            EXPECT_EQ(task->sqlStatements, row.statements);
        }
    }
}

TEST(TaskJsonShortcutsTest, ARestoreFileGivenByItsPathIsCompletedFromTheFile)
{
    test::TempDir dir;
    const auto file = dir.path() / "dump.sql";
    std::ofstream(file, std::ios::binary) << std::string(1500, 'x');
    std::tm local {};
    local.tm_year = 2024 - 1900;
    local.tm_mon = 1;
    local.tm_mday = 29;
    local.tm_hour = 13;
    local.tm_min = 14;
    local.tm_sec = 15;
    local.tm_isdst = -1;
    const timespec times[2] = {{std::mktime(&local), 0}, {std::mktime(&local), 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, file.c_str(), times, 0), 0);
    const RestoreFile expected {1, "dump.sql", file.string(), 1500, {2024, 2, 29, 13, 14, 15, 5}};

    const std::string odd = (dir.path() / "." / "sub" / ".." / "dump.sql").string();
    const std::string relative = std::filesystem::relative(file).string();
    for (const std::string& path : {file.string(), odd, relative}) {
        SCOPED_TRACE(path);
        auto task
            = TaskFromJson(json {{"restoreFiles", json::array({json {{"path", path}, {"checkState", 1}}})}}.dump());
        ASSERT_TRUE(task.ok()) << task.error();
        ASSERT_EQ(task->restoreFiles.size(), 1u);
        EXPECT_TRUE(task->restoreFiles[0] == expected) << task->restoreFiles[0].path;
    }

    // An entry that says more is taken as written; a missing file or a folder is refused.
    auto written = TaskFromJson(R"({"restoreFiles": [{"path": "/nowhere/a.sql", "fileName": "a.sql"}]})");
    ASSERT_TRUE(written.ok()) << written.error();
    EXPECT_EQ(written->restoreFiles[0].size, 0);
    auto missing = TaskFromJson(R"({"restoreFiles": [{"path": "/tmp"}, {"path": "/nowhere/a.sql"}]})");
    ASSERT_FALSE(missing.ok());
    EXPECT_EQ(missing.error(), "restoreFiles[0].path: Cannot add /tmp: it is a folder");
    missing = TaskFromJson(R"({"restoreFiles": [{"path": "/nowhere/a.sql"}]})");
    ASSERT_FALSE(missing.ok());
    EXPECT_EQ(missing.error(), "restoreFiles[0].path: Cannot add /nowhere/a.sql: No such file or directory");
}

} // namespace
} // namespace kelvanto
