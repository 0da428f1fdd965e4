#include "app/TaskJson.h"

#include "model/NewTask.h"
#include "model/TaskExtras.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

namespace kelvanto
{
namespace
{

// A task in which every field differs from its default.
Task FullTask()
{
    Task t;
    t.taskId = "2026127850270";
    t.runNow = 1;
    t.name = "Nightly \"web\" backup";
    t.comment = "line 1\r\nline 2\ttab";
    t.type = TaskType::RestoreFromDatabase;
    t.status = TaskStatus::Running;
    t.createdTime = {2026, 12, 7, 8, 50, 27, 2};
    t.startedTime = {2026, 12, 7, 9, 0, 1, 2};
    t.lastRunTime = {2026, 12, 7, 9, 1, 0, 2};
    t.nextRunTime = {2026, 12, 8, 2, 0, 0, 3};
    t.logFileName = "Nightly web backup_20261278502.log";
    t.source = {"prod", "db1.example", 3307, "backup", "p\xe9ss", "shop", "comment", 1, 1, 1, 1};
    t.destination = {"", "db2", 3308, "u", "", "shop_copy", "", 0, 1, 0, 0};
    t.exportSettings = {4, "/exports/", "\t", "\"", "\\", "\r\n", 1};
    t.exportTables = {{2, 1, "shop", "orders"}, {0, 2, "shop", "v_orders"}};
    t.backupSettings.lockTables = 1;
    t.backupSettings.fileSplit = 3;
    t.backupSettings.fileNameFormat = "%HOST%_%DATABASE%_%TABLE%_%DATE%_%TIME%";
    t.backupSettings.autoDeleteLimit = 10000;
    t.backupSettings.destDatabaseName = "shop_copy";
    t.databases = {{2, "shop", {{2, 1, "shop", "orders"}}}, {1, "empty", {}}};
    t.restoreOptions = {1, 1};
    t.restoreFiles = {{0, "a.sql", "/in/a.sql", 2147483647, {2025, 1, 2, 3, 4, 5, 5}}};
    t.schedule.kind = ScheduleKind::EveryMonth;
    t.schedule.hour = 23;
    t.schedule.minute = 59;
    t.schedule.weekDays[6] = 1;
    t.schedule.monthDays[30] = 1;
    t.schedule.specialYear = -1;
    t.schedule.intervalMinutes = 99999;
    t.sqlStatements = {"SELECT 1", std::string("SELECT '\0'", 11), ""};
    t.backupHistory = {{"/b/20261207_0200", {"/b/20261207_0200/x.sql"}, 2026, 12, 7, 2, 0, 0, 2, 1, 0}};
    t.extras.triggers = true;
    t.extras.definer = DefinerMode::Strip;
    t.extras.commitEvery = 4;
    t.extras.maxInsertBytes = 1048576;
    return t;
}

TEST(TaskJsonTest, EveryFieldSurvivesTheRoundTrip)
{
    const Task original = FullTask();
    const std::string json = TaskToJson(original);
    auto back = TaskFromJson(json);
    ASSERT_TRUE(back.ok()) << back.error();
    // Every field but the backup history, which only runs of the program record.
    Task expected = original;
    expected.backupHistory.clear();
    EXPECT_TRUE(*back == expected);
    EXPECT_EQ(TaskToJson(*back), TaskToJson(expected));
    // Names follow the record, enumerations are numbers, time stamps are objects.
    auto doc = nlohmann::json::parse(json);
    EXPECT_EQ(doc["type"], 8);
    EXPECT_EQ(doc["schedule"]["kind"], 3);
    EXPECT_EQ(doc["backupSettings"]["fileSplit"], 3);
    EXPECT_EQ(doc["createdTime"]["dayOfWeek"], 2);
    EXPECT_EQ(doc["databases"][0]["tables"][0]["name"], "orders");
    EXPECT_EQ(doc["schedule"]["monthDays"].size(), 31u);
}

TEST(TaskJsonTest, TextsThatAreNotUtf8TravelAsHex)
{
    struct Row
    {
        const char* name;
        std::string bytes;
        bool plain;
    };
    const Row rows[] = {
        {"ascii", "root", true},
        {"two-byte e acute", "caf\xc3\xa9", true},
        {"four-byte emoji", "\xf0\x9f\x98\x80", true},
        {"U+10FFFF", "\xf4\x8f\xbf\xbf", true},
        {"NUL inside", std::string("a\0b", 3), true},
        {"latin-1 e acute", "caf\xe9", false},
        {"overlong slash", "\xc0\xaf", false},
        {"overlong three-byte", "\xe0\x80\xaf", false},
        {"surrogate", "\xed\xa0\x80", false},
        {"above U+10FFFF", "\xf4\x90\x80\x80", false},
        {"truncated sequence", "ab\xe2\x82", false},
        {"lone continuation", "\x80", false},
        {"0xFF", "\xff", false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(IsValidUtf8(row.bytes), row.plain);
        Task t;
        t.name = row.bytes;
        t.sqlStatements = {row.bytes};
        const std::string json = TaskToJson(t);
        auto doc = nlohmann::json::parse(json);
        EXPECT_EQ(doc["name"].is_string(), row.plain);
        EXPECT_EQ(doc["sqlStatements"][0].is_string(), row.plain);
        auto back = TaskFromJson(json);
        ASSERT_TRUE(back.ok()) << back.error();
        EXPECT_EQ(back->name, row.bytes);
        EXPECT_EQ(back->sqlStatements.at(0), row.bytes);
    }
    auto upper = TaskFromJson(R"({"name": {"hex": "CAFE"}})");
    ASSERT_TRUE(upper.ok());
    EXPECT_EQ(upper->name, "\xca\xfe");
}

TEST(TaskJsonTest, MissingFieldsKeepTheirDefaults)
{
    auto empty = TaskFromJson("{}");
    ASSERT_TRUE(empty.ok());
    // A new task's defaults: LF line ends for SQL files, while a default Task (what a stored
    // record without the field means) keeps CR LF.
    const Task fresh = NewTask(TaskType::BackupToFiles);
    EXPECT_TRUE(*empty == fresh);
    EXPECT_EQ(empty->backupSettings.unixLineEnds, 1);
    EXPECT_EQ(Task {}.backupSettings.unixLineEnds, 0);
    // A task that gives its line ends keeps them, and so does one exported and imported again.
    auto crlf = TaskFromJson(R"({"backupSettings": {"unixLineEnds": 0}})");
    ASSERT_TRUE(crlf.ok());
    EXPECT_EQ(crlf->backupSettings.unixLineEnds, 0);
    // PHP files keep CR LF unless the task asks for LF.
    auto php = TaskFromJson(R"({"backupSettings": {"fileType": 2}})");
    ASSERT_TRUE(php.ok());
    EXPECT_EQ(php->backupSettings.unixLineEnds, 0);
    auto phpLf = TaskFromJson(R"({"backupSettings": {"fileType": 2, "unixLineEnds": 1}})");
    ASSERT_TRUE(phpLf.ok());
    EXPECT_EQ(phpLf->backupSettings.unixLineEnds, 1);
    Task stored;
    stored.type = TaskType::ExportTables;
    auto again = TaskFromJson(TaskToJson(stored));
    ASSERT_TRUE(again.ok());
    EXPECT_TRUE(*again == stored);

    auto partial = TaskFromJson(R"({"name": "n", "source": {"port": 3310}, "schedule": {"kind": 5},
            "databases": [{"name": "sakila"}]})");
    ASSERT_TRUE(partial.ok()) << partial.error();
    Task expected = fresh;
    expected.name = "n";
    expected.source.port = 3310;
    expected.schedule.kind = ScheduleKind::TimeInterval;
    expected.databases = {DatabaseItem {0, "sakila", {}}};
    EXPECT_TRUE(*partial == expected);
    EXPECT_EQ(partial->source.host, "localhost");
    EXPECT_EQ(partial->schedule.intervalMinutes, 30);
}

TEST(TaskJsonTest, RefusesFaultsNamingTheField)
{
    struct Row
    {
        const char* json;
        const char* message;
    };
    const Row rows[] = {
        {R"({"nmae": "x"})", "nmae: unknown field"},
        {R"({"backupSettings": {"fileSplit": 256}})", "backupSettings.fileSplit: must be an integer from 0 to 255"},
        {R"({"backupSettings": {"fileSplit": -1}})", "backupSettings.fileSplit: must be an integer from 0 to 255"},
        {R"({"backupSettings": {"fileSplit": "2"}})", "backupSettings.fileSplit: must be an integer"},
        {R"({"backupSettings": {"fileSplit": 1.5}})", "backupSettings.fileSplit: must be an integer"},
        {R"({"backupSettings": {"fileSplit": true}})", "backupSettings.fileSplit: must be an integer"},
        {R"({"backupSettings": {"colour": 1}})", "backupSettings.colour: unknown field"},
        {R"({"backupSettings": []})", "backupSettings: must be an object"},
        {R"({"source": {"port": 2147483648}})", "source.port: must be an integer from -2147483648 to 2147483647"},
        {R"({"source": {"port": -2147483649}})", "source.port: must be an integer from"},
        {R"({"type": 300})", "type: must be an integer from 0 to 255"},
        {R"({"name": 5})", "name: must be a text"},
        {R"({"name": null})", "name: must be a text"},
        {R"({"name": {"hex": "abc"}})", "name.hex: must hold an even number"},
        {R"({"name": {"hex": "zz"}})", "name.hex: must hold hexadecimal digits only"},
        {R"({"name": {"hex": "00", "x": 1}})", "name: must be a text"},
        {R"({"createdTime": {"year": 2026, "hour": "x"}})", "createdTime.hour: must be an integer"},
        {R"({"databases": [{"name": "a"}, {"tables": [{"nmae": "t"}]}]})",
            "databases[1].tables[0].nmae: unknown field"},
        {R"({"databases": [5]})", "databases[0]: must be an object"},
        {R"({"databases": {}})", "databases: must be an array"},
        {R"({"schedule": {"weekDays": [1, 0]}})", "schedule.weekDays: must be an array of 7 integers"},
        {R"({"schedule": {"weekDays": [0, 0, 0, 0, 0, 0, 999]}})", "schedule.weekDays[6]: must be an integer"},
        {R"({"sqlStatements": ["a", 1]})", "sqlStatements[1]: must be a text"},
        {R"([])", "the task: must be an object"},
        {R"({"name": "x")", "not valid JSON"},
        {"{\"name\": \"\xe9\"}", "not valid JSON"},
        {"", "not valid JSON"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.json);
        auto result = TaskFromJson(row.json);
        ASSERT_FALSE(result.ok());
        EXPECT_EQ(result.error().rfind(row.message, 0), 0u) << result.error();
    }
}

} // namespace
} // namespace kelvanto
