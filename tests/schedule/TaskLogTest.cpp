// The task log files: the record layout byte by byte, reading either format, the size
// limit, the one-time conversion of older logs, appends from many threads, and exports.
#include "schedule/TaskLog.h"

#include "model/FileFormat.h"
#include "schedule/LogExport.h"
#include "tests/support/FakeClock.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <vector>

namespace kelvanto::test
{
namespace
{

namespace fs = std::filesystem;

const TimeStamp kSaturday {2005, 1, 1, 20, 20, 20, 7};

std::string FileBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteBytes(const fs::path& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

std::string Le32(std::uint32_t value)
{
    std::string bytes;
    for (int i = 0; i < 4; ++i)
        bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
    return bytes;
}

// An older-format log: magic, then level, the seven time fields, a length and the text.
std::string LegacyLog(const std::vector<std::pair<std::string, std::uint32_t>>& texts)
{
    std::string bytes = Le32(fileformat::kLegacyMagicB0);
    for (const auto& [text, length] : texts) {
        bytes += '\x02';
        for (const int field : {2003, 4, 5, 6, 7, 8, 7})
            bytes += Le32(static_cast<std::uint32_t>(field));
        bytes += Le32(length) + text;
    }
    return bytes;
}

std::vector<std::string> Messages(const std::vector<LogRecord>& records)
{
    std::vector<std::string> messages;
    for (const LogRecord& record : records)
        messages.push_back(record.message);
    return messages;
}

class TaskLogTest : public ::testing::Test
{
protected:
    TempDir dir;
    fs::path logs = dir.path() / "Logs";
    std::shared_ptr<FakeClock> clock = std::make_shared<FakeClock>(kSaturday);
    TaskLog log {logs, clock};
};

TEST_F(TaskLogTest, RecordIsLaidOutByteForByte)
{
    ASSERT_TRUE(log.WriteLog("Daily_2005112020.log", LogLevel::Warning, "Hello"));
    std::string expected = Le32(0xCABDF9E0u) + '\x01';
    for (const int field : {2005, 1, 1, 20, 20, 20, 7})
        expected += Le32(static_cast<std::uint32_t>(field));
    expected += "Hello" + std::string(331 - 5, '\0');
    EXPECT_EQ(FileBytes(logs / "Daily_2005112020.log"), expected);
    EXPECT_EQ(log.ReadLog("Daily_2005112020.log"), (std::vector<LogRecord> {{LogLevel::Warning, kSaturday, "Hello"}}));
}

TEST_F(TaskLogTest, EmptyMessageCreatesTheFileWithTheMagicOnly)
{
    ASSERT_TRUE(log.WriteLog("new.log", LogLevel::General, ""));
    EXPECT_EQ(FileBytes(logs / "new.log"), Le32(0xCABDF9E0u));
    ASSERT_TRUE(log.WriteLog("new.log", LogLevel::General, ""));
    EXPECT_EQ(fs::file_size(logs / "new.log"), 4u);
}

TEST_F(TaskLogTest, OnlyTheLastPartOfTheNameIsUsedAndEscapesAreRefused)
{
    struct Row
    {
        const char* name;
        const char* file; // nullptr: refused
    };
    const Row rows[] = {{"plain.log", "plain.log"}, {"sub/inner.log", "inner.log"},
        {"C:\\Kelvanto\\Logs\\win.log", "win.log"}, {"../../escape.log", "escape.log"}, {"", nullptr}, {"..", nullptr},
        {".", nullptr}, {"a/..", nullptr}, {"folder/", nullptr}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(log.WriteLog(row.name, LogLevel::General, "line"), row.file != nullptr);
        if (row.file) {
            EXPECT_EQ(log.ReadLog(row.name).size(), 1u) << row.file;
        }
    }
    std::vector<std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(dir.path()))
        files.push_back(entry.path().lexically_relative(dir.path()).string());
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files,
        (std::vector<std::string> {"Logs", "Logs/escape.log", "Logs/inner.log", "Logs/plain.log", "Logs/win.log"}));
}

TEST_F(TaskLogTest, TextFieldKeepsAtMost331Bytes)
{
    for (const std::size_t length : {1u, 330u, 331u, 332u, 400u}) {
        SCOPED_TRACE(length);
        const std::string name = "len" + std::to_string(length) + ".log";
        std::string message(length, 'x');
        message.back() = 'y';
        ASSERT_TRUE(log.WriteLog(name, LogLevel::General, message));
        EXPECT_EQ(fs::file_size(logs / name), 364u);
        EXPECT_EQ(log.ReadLog(name).at(0).message, message.substr(0, 331));
    }
}

TEST_F(TaskLogTest, LastRecordsAndAllRecordsOf250)
{
    for (int i = 1; i <= 250; ++i)
        ASSERT_TRUE(log.WriteLog("big.log", LogLevel::General, "record " + std::to_string(i)));
    ASSERT_EQ(fs::file_size(logs / "big.log"), 4u + 250u * 360u);

    const std::vector<LogRecord> last = log.ReadLastLogRecords("big.log", 200);
    ASSERT_EQ(last.size(), 200u);
    EXPECT_EQ(last.front().message, "record 51");
    EXPECT_EQ(last.back().message, "record 250");
    const std::vector<LogRecord> all = log.ReadLog("big.log");
    ASSERT_EQ(all.size(), 250u);
    EXPECT_EQ(all.front().message, "record 1");
    EXPECT_TRUE(log.ReadLastLogRecords("big.log", 0).empty());
    EXPECT_EQ(log.ReadLastLogRecords("big.log", 1000).size(), 250u);
    EXPECT_TRUE(log.ReadLog("missing.log").empty());
}

TEST_F(TaskLogTest, RecordCutShortIsNotShownAndTheNextAppendStaysAligned)
{
    for (const char* message : {"one", "two", "three"})
        ASSERT_TRUE(log.WriteLog("cut.log", LogLevel::General, message));
    fs::resize_file(logs / "cut.log", 4 + 2 * 360 + 100);

    EXPECT_EQ(Messages(log.ReadLog("cut.log")), (std::vector<std::string> {"one", "two"}));
    EXPECT_EQ(Messages(log.ReadLastLogRecords("cut.log", 200)), (std::vector<std::string> {"one", "two"}));
    EXPECT_EQ(Messages(log.ReadLastLogRecords("cut.log", 1)), (std::vector<std::string> {"two"}));

    ASSERT_TRUE(log.WriteLog("cut.log", LogLevel::General, "four"));
    EXPECT_EQ(fs::file_size(logs / "cut.log"), 4u + 3u * 360u);
    EXPECT_EQ(Messages(log.ReadLog("cut.log")), (std::vector<std::string> {"one", "two", "four"}));
}

TEST_F(TaskLogTest, HeaderCutShortStartsAgainButForeignFilesAreLeftAlone)
{
    fs::create_directories(logs);
    WriteBytes(logs / "short.log", "\xE0\xF9");
    EXPECT_TRUE(log.ReadLog("short.log").empty());
    ASSERT_TRUE(log.WriteLog("short.log", LogLevel::General, "fresh"));
    EXPECT_EQ(Messages(log.ReadLog("short.log")), (std::vector<std::string> {"fresh"}));

    WriteBytes(logs / "notes.log", "NOT A TASK LOG, KEEP ME");
    EXPECT_FALSE(log.WriteLog("notes.log", LogLevel::General, "line"));
    EXPECT_EQ(FileBytes(logs / "notes.log"), "NOT A TASK LOG, KEEP ME");
    EXPECT_TRUE(log.ReadLog("notes.log").empty());

    // A pipe or a folder in place of a log neither stalls nor breaks anything.
    ASSERT_EQ(mkfifo((logs / "pipe.log").c_str(), 0600), 0);
    fs::create_directories(logs / "folder.log");
    for (const char* name : {"pipe.log", "folder.log"}) {
        SCOPED_TRACE(name);
        EXPECT_TRUE(log.ReadLog(name).empty());
        EXPECT_TRUE(log.ReadLastLogRecords(name, 10).empty());
        EXPECT_FALSE(log.WriteLog(name, LogLevel::General, "line"));
        EXPECT_FALSE(log.TrimLogIfTooLarge(name, true, 1));
    }
}

TEST_F(TaskLogTest, OlderFormatIsReadWholeButNotByTheLastRecordsView)
{
    fs::create_directories(logs);
    const std::string longText(400, 'L');
    WriteBytes(logs / "old.log", LegacyLog({{"first", 5}, {"", 0}, {longText, 400}}));

    const std::vector<LogRecord> records = log.ReadLog("old.log");
    EXPECT_EQ(Messages(records), (std::vector<std::string> {"first", "", longText}));
    EXPECT_EQ(records.at(0).level, LogLevel::Error);
    EXPECT_EQ(records.at(0).time, (TimeStamp {2003, 4, 5, 6, 7, 8, 7}));
    EXPECT_TRUE(log.ReadLastLogRecords("old.log", 200).empty());
}

TEST_F(TaskLogTest, OlderFormatWithLyingLengthsKeepsTheRecordsBefore)
{
    fs::create_directories(logs);
    for (const std::uint32_t length : {0xFFFFFFFFu, 0x7FFFFFFFu, 100u}) {
        SCOPED_TRACE(length);
        std::string bytes = LegacyLog({{"good", 4}, {"bad", length}});
        WriteBytes(logs / "lying.log", bytes);
        EXPECT_EQ(Messages(log.ReadLog("lying.log")), (std::vector<std::string> {"good"}));
    }
}

TEST_F(TaskLogTest, ConversionRunsOnceAndLeavesItsMarker)
{
    fs::create_directories(logs);
    WriteBytes(logs / "a.log", LegacyLog({{"alpha", 5}, {std::string(400, 'z'), 400}}));
    WriteBytes(logs / "foreign.log", "something else");
    ASSERT_TRUE(log.WriteLog("current.log", LogLevel::General, "kept"));
    const std::string current = FileBytes(logs / "current.log");
    std::vector<Task> tasks(5);
    tasks[0].logFileName = "a.log";
    tasks[1].logFileName = "foreign.log";
    tasks[2].logFileName = "current.log";
    tasks[3].logFileName = "missing.log";

    ASSERT_TRUE(log.ConvertLegacyLogs(tasks));
    EXPECT_EQ(fs::file_size(logs / "log200se.dll"), 3072u);
    EXPECT_EQ(fs::file_size(logs / "a.log"), 4u + 2u * 360u);
    EXPECT_EQ(
        Messages(log.ReadLastLogRecords("a.log", 200)), (std::vector<std::string> {"alpha", std::string(331, 'z')}));
    EXPECT_EQ(log.ReadLog("a.log").at(0).time, (TimeStamp {2003, 4, 5, 6, 7, 8, 7}));
    EXPECT_EQ(FileBytes(logs / "foreign.log"), "something else");
    EXPECT_EQ(FileBytes(logs / "current.log"), current);
    EXPECT_FALSE(fs::exists(logs / "missing.log"));

    // With the marker in place a later start converts nothing.
    const std::string legacy = LegacyLog({{"later", 5}});
    WriteBytes(logs / "a.log", legacy);
    ASSERT_TRUE(log.ConvertLegacyLogs(tasks));
    EXPECT_EQ(FileBytes(logs / "a.log"), legacy);
}

TEST_F(TaskLogTest, AppendingToAnOlderFormatLogConvertsItFirst)
{
    fs::create_directories(logs);
    WriteBytes(logs / "old.log", LegacyLog({{"before", 6}}));
    ASSERT_TRUE(log.WriteLog("old.log", LogLevel::General, "after"));
    EXPECT_EQ(Messages(log.ReadLastLogRecords("old.log", 10)), (std::vector<std::string> {"before", "after"}));
}

TEST_F(TaskLogTest, SizeLimitDeletesAtTheThreshold)
{
    struct Row
    {
        const char* name;
        std::uintmax_t size;
        bool limited;
        std::int32_t maxKB;
        bool deleted;
    };
    const Row rows[] = {{"at limit", 102400, true, 100, true}, {"one byte below", 102399, true, 100, false},
        {"unlimited", 500000, false, 100, false}, {"limit zero", 500000, true, 0, false},
        {"far above", 900000, true, 100, true}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(log.WriteLog("size.log", LogLevel::General, ""));
        fs::resize_file(logs / "size.log", row.size);
        EXPECT_EQ(log.TrimLogIfTooLarge("size.log", row.limited, row.maxKB), row.deleted);
        EXPECT_EQ(fs::exists(logs / "size.log"), !row.deleted);
        log.SetSizeLimit(row.limited, row.maxKB);
        ASSERT_TRUE(log.WriteLog("size.log", LogLevel::General, ""));
        fs::resize_file(logs / "size.log", row.size);
        EXPECT_EQ(log.TrimLogIfTooLarge("size.log"), row.deleted);
    }
    EXPECT_FALSE(log.TrimLogIfTooLarge("never-written.log", true, 1));
}

TEST_F(TaskLogTest, EightThreadsAppendingKeepEveryRecordWhole)
{
    constexpr int kThreads = 8;
    constexpr int kEach = 250;
    {
        std::vector<std::jthread> threads;
        for (int t = 0; t < kThreads; ++t) {
            threads.emplace_back([this, t] {
                for (int i = 0; i < kEach; ++i) {
                    const std::string message = "thread " + std::to_string(t) + " line " + std::to_string(i) + " "
                        + std::string(static_cast<std::size_t>(i % 300), 'a' + t);
                    log.WriteLog("shared.log", static_cast<LogLevel>(t % 3), message);
                }
            });
        }
    }
    ASSERT_EQ(fs::file_size(logs / "shared.log"), 4u + kThreads * kEach * 360u);
    std::vector<int> next(kThreads, 0);
    for (const LogRecord& record : log.ReadLog("shared.log")) {
        int t = -1;
        int i = -1;
        ASSERT_EQ(std::sscanf(record.message.c_str(), "thread %d line %d", &t, &i), 2) << record.message;
        ASSERT_TRUE(t >= 0 && t < kThreads);
        EXPECT_EQ(i, next[t]++);
        EXPECT_EQ(record.level, static_cast<LogLevel>(t % 3));
        const std::string expected = "thread " + std::to_string(t) + " line " + std::to_string(i) + " "
            + std::string(static_cast<std::size_t>(i % 300), 'a' + t);
        EXPECT_EQ(record.message, expected.substr(0, 331));
    }
    EXPECT_EQ(next, std::vector<int>(kThreads, kEach));
}

TEST_F(TaskLogTest, DeleteAndCopy)
{
    ASSERT_TRUE(log.WriteLog("gone.log", LogLevel::General, "x"));
    ASSERT_TRUE(log.WriteLog("copy.log", LogLevel::General, "y"));
    WriteBytes(dir.path() / "target.log", "old content that is replaced");
    EXPECT_TRUE(ExportLogFile(log, "copy.log", dir.path() / "target.log"));
    EXPECT_EQ(FileBytes(dir.path() / "target.log"), FileBytes(logs / "copy.log"));
    EXPECT_FALSE(ExportLogFile(log, "absent.log", dir.path() / "other.log"));

    EXPECT_TRUE(log.DeleteLog("gone.log"));
    EXPECT_FALSE(fs::exists(logs / "gone.log"));
    EXPECT_TRUE(log.DeleteLog("gone.log"));
    EXPECT_FALSE(log.DeleteLog(".."));
}

TEST(LogExport, CsvAndTxtLinesAreAppendedOnePerRecord)
{
    const LogRecord finished {LogLevel::General, kSaturday, "Finished"};
    EXPECT_EQ(FormatLogCsvLine(finished, 1, 1), "\"Sat, Jan 01, 2005 20:20:20\",\"General Info\",\"Finished\"\r\n");
    EXPECT_EQ(FormatLogTxtLine(finished, 1, 1), "[Sat, Jan 01, 2005 20:20:20]\tGeneral Info\tFinished\r\n");
    const LogRecord quoted {LogLevel::Warning, kSaturday, "say \"hi\""};
    EXPECT_EQ(FormatLogCsvLine(quoted, 1, 1), "\"Sat, Jan 01, 2005 20:20:20\",\"Warning Info\",\"say \"hi\"\"\r\n");
    EXPECT_EQ(FormatLogTxtLine({LogLevel::Error, kSaturday, "x"}, 2, 2),
        "[Sat, 01 Jan, 2005 08:20:20 P.M]\tError Info\tx\r\n");
    EXPECT_EQ(FormatLogTxtLine({static_cast<LogLevel>(9), kSaturday, "x"}, 1, 1),
        "[Sat, Jan 01, 2005 20:20:20]\tError Info\tx\r\n");

    TempDir dir;
    const fs::path csv = dir.path() / "out.csv";
    WriteBytes(csv, "earlier\r\n");
    ASSERT_TRUE(ExportLogCsv({finished, quoted}, csv, 1, 1));
    EXPECT_EQ(FileBytes(csv), "earlier\r\n" + FormatLogCsvLine(finished, 1, 1) + FormatLogCsvLine(quoted, 1, 1));
    const fs::path txt = dir.path() / "out.txt";
    ASSERT_TRUE(ExportLogTxt({finished}, txt, 1, 1));
    EXPECT_EQ(FileBytes(txt), FormatLogTxtLine(finished, 1, 1));

    EXPECT_FALSE(ExportLogCsv({finished}, dir.path() / "no" / "such" / "folder.csv", 1, 1));
    EXPECT_FALSE(fs::exists(dir.path() / "no"));
}

} // namespace
} // namespace kelvanto::test
