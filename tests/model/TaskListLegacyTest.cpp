#include "model/TaskListStore.h"

#include "tests/model/ByteBuilder.h"

#include <gtest/gtest.h>

namespace kelvanto
{
namespace
{

using test::ByteBuilder;

constexpr std::uint32_t kC0 = 0xBFDFAEC0u;
constexpr std::uint32_t kBA = 0xBFDFAEBAu;
constexpr unsigned kPlain = 0x00;
constexpr unsigned kLegacy = 0x27;

struct LegacyFlags
{
    unsigned exportStructure = 1, exportRecords = 0, lockTables = 1, allNewTables = 1, allNewDatabases = 0;
    unsigned flushLogs = 1, useReplace = 1, addDropTable = 0, addDeleteAll = 1, fileType = 2, fileMode = 1;
    unsigned fileSplit = 2;
};

// One record of an older layout, written by hand from the differences table.
std::string LegacyRecord(std::uint32_t magic, unsigned storedType, const LegacyFlags& f = {})
{
    ByteBuilder b;
    b.u32(magic).str("id7", kPlain).u8(1).str("Nightly: all", kPlain).str("old comment", kPlain);
    b.u8(storedType).u8(3);
    b.stamp({2005, 1, 1, 20, 20, 20, 7}).stamp({2005, 1, 2, 0, 0, 0, 1}).stamp({2005, 1, 3, 2, 0, 0, 2});
    b.stamp({2005, 1, 4, 2, 0, 0, 3}).str("Nightly all_20051120.log", kPlain);
    // Server blocks: no connectionName, legacy key, three flags, no reserved byte.
    b.str("old-host", kLegacy).i32(3307).str("admin", kLegacy).str("s3cret", kLegacy).str("shop", kLegacy);
    b.str("first", kLegacy).u8s({1, 1, 0});
    b.str("other-host", kLegacy).i32(3306).str("root", kLegacy).str("", kLegacy).str("", kLegacy);
    b.str("", kLegacy).u8s({0, 0, 1});
    // Export settings: file type and folder only; table items without a kind byte.
    b.u8(3).str("C:\\exports\\", kPlain);
    b.i32(1).u8(2).str("shop", kPlain).str("orders", kPlain);
    if (magic == kC0) {
        b.u8s({f.exportStructure, f.exportRecords, f.lockTables, f.allNewTables, f.allNewDatabases, f.flushLogs,
            f.useReplace, f.addDropTable, f.addDeleteAll, f.fileType, f.fileMode, f.fileSplit});
        b.str("C:\\one.sql", kPlain).str("C:\\backup\\", kPlain).str("%HOST%_%DATABASE%_%DATE%", kPlain);
        b.u8(1).i32(14).u8(1);
    } else {
        b.u8s({f.exportStructure, f.exportRecords, f.lockTables, f.allNewTables, f.allNewDatabases, f.flushLogs,
            f.useReplace, f.fileType, f.fileMode, f.fileSplit});
        b.str("C:\\one.sql", kPlain).str("C:\\backup\\", kPlain);
    }
    b.i32(2).u8(1).str("shop", kPlain).i32(1).u8(2).str("shop", kPlain).str("orders", kPlain);
    b.u8(2).str("blog", kPlain).i32(0);
    b.u8(1).i32(2).i32(15).zeros(7 + 31).stamp({0, 0, 0, 0, 0});
    b.i32(1).str("DELETE FROM log", kPlain);
    if (magic == kC0)
        b.i32(1).stamp({2005, 1, 3, 2, 0, 0}).u8s({2, 1, 0}).str("", kPlain).i32(1).str("C:\\backup\\a.sql", kPlain);
    b.u32(magic);
    return b.bytes();
}

std::string LegacyFile(std::uint32_t magic, const std::vector<std::string>& records)
{
    ByteBuilder b;
    b.u32(magic).i32(static_cast<std::int32_t>(records.size()));
    for (const std::string& record : records)
        b.raw(record);
    return b.bytes();
}

// The parts that both older layouts hold in the same way.
Task ExpectedCommon()
{
    Task t;
    t.taskId = "id7";
    t.name = "Nightly: all";
    t.comment = "old comment";
    t.type = TaskType::BackupToServer;
    t.createdTime = {2005, 1, 1, 20, 20, 20, 7};
    t.startedTime = {2005, 1, 2, 0, 0, 0, 1};
    t.lastRunTime = {2005, 1, 3, 2, 0, 0, 2};
    t.nextRunTime = {2005, 1, 4, 2, 0, 0, 3};
    t.logFileName = "Nightly all_20051120.log";
    t.source = {"", "old-host", 3307, "admin", "s3cret", "shop", "first", 1, 1, 0, 0};
    t.destination = {"", "other-host", 3306, "root", "", "", "", 0, 0, 1, 0};
    t.exportSettings.fileType = 3;
    t.exportSettings.directory = "C:\\exports\\";
    t.exportTables = {{2, 0, "shop", "orders"}};
    BackupSettings& s = t.backupSettings;
    s.exportStructure = 1;
    s.exportRecords = 0;
    s.lockTables = 1;
    s.allNewTables = 1;
    s.allNewDatabases = 0;
    s.flushLogs = 1;
    s.useReplace = 1;
    s.fileType = 2;
    s.fileMode = 1;
    s.fileSplit = 2;
    s.singleFilePath = "C:\\one.sql";
    s.backupFolder = "C:\\backup\\";
    t.databases = {{1, "shop", {{2, 0, "shop", "orders"}}}, {2, "blog", {}}};
    t.schedule.kind = ScheduleKind::EveryDay;
    t.schedule.hour = 2;
    t.schedule.minute = 15;
    t.schedule.intervalMinutes = 0;
    t.sqlStatements = {"DELETE FROM log"};
    return t;
}

TEST(TaskListLegacy, LayoutC0)
{
    const auto loaded = ParseTaskList(LegacyFile(kC0, {LegacyRecord(kC0, 3), LegacyRecord(kC0, 5)}));
    ASSERT_TRUE(loaded.ok()) << loaded.error();
    ASSERT_EQ(loaded->size(), 2u);

    Task expected = ExpectedCommon();
    expected.backupSettings.addDropTable = 0;
    expected.backupSettings.addDeleteAll = 1;
    expected.backupSettings.fileNameFormat = "%HOST%_%DATABASE%_%DATE%";
    expected.backupSettings.autoDelete = 1;
    expected.backupSettings.autoDeleteLimit = 14;
    expected.backupSettings.newFolderPerRun = 1;
    expected.backupHistory = {{"", {"C:\\backup\\a.sql"}, 2005, 1, 3, 2, 0, 0, 2, 1, 0}};
    EXPECT_EQ((*loaded)[0], expected) << "a stored type 3 is taken as 2, runNow 0, status Stopped";
    expected.type = TaskType::ExecuteScript;
    EXPECT_EQ((*loaded)[1], expected);
}

TEST(TaskListLegacy, LayoutBA)
{
    for (unsigned fileSplit : {1u, 2u, 3u}) {
        SCOPED_TRACE("fileSplit " + std::to_string(fileSplit));
        LegacyFlags flags;
        flags.fileSplit = fileSplit;
        const auto loaded = ParseTaskList(LegacyFile(kBA, {LegacyRecord(kBA, 3, flags)}));
        ASSERT_TRUE(loaded.ok()) << loaded.error();
        ASSERT_EQ(loaded->size(), 1u);

        Task expected = ExpectedCommon();
        expected.backupSettings.fileSplit = static_cast<std::uint8_t>(fileSplit);
        expected.backupSettings.addDropTable = 1;
        expected.backupSettings.addDeleteAll = 1;
        expected.backupSettings.fileNameFormat = fileSplit == 1 ? "%HOST%_%DATE%_%TIME%"
            : fileSplit == 2                                    ? "%HOST%_%DATABASE%_%DATE%_%TIME%"
                                                                : "%HOST%_%DATABASE%_%TABLE%_%DATE%_%TIME%";
        EXPECT_EQ(loaded->front(), expected);
    }
}

TEST(TaskListLegacy, BrokenOlderFiles)
{
    const std::string good = LegacyFile(kBA, {LegacyRecord(kBA, 1), LegacyRecord(kBA, 1)});
    for (std::size_t size = 0; size < good.size(); ++size) {
        SCOPED_TRACE("truncated to " + std::to_string(size));
        EXPECT_FALSE(ParseTaskList(std::string_view(good).substr(0, size)).ok());
    }
    // Record marks must equal the file's own magic, not the current one.
    std::string currentMark = LegacyRecord(kC0, 1);
    currentMark.replace(0, 4, ByteBuilder().u32(0xCABDF9E0u).bytes());
    const auto loaded = ParseTaskList(LegacyFile(kC0, {LegacyRecord(kC0, 1), currentMark}));
    ASSERT_TRUE(loaded.ok()) << loaded.error();
    EXPECT_TRUE(loaded->empty());
}

} // namespace
} // namespace kelvanto
