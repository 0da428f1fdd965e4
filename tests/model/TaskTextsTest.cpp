#include "model/TaskTexts.h"

#include <gtest/gtest.h>

namespace kelvanto
{
namespace
{

TEST(TaskTexts, CodesAndUnknownCodes)
{
    const std::vector<std::pair<int, const char*>> types = {{0, "Unknown"}, {1, "Backup to SQL/PHP files"},
        {2, "Backup to the other server"}, {3, "Backup to the other database"},
        {4, "Export to CSV/XML/HTML/TEXT files"}, {5, "Execute SQL script"}, {6, "Restore from SQL files"},
        {7, "Restore from the other server"}, {8, "Restore from the other database"}, {9, "Unknown"}, {255, "Unknown"}};
    for (const auto& [code, text] : types)
        EXPECT_EQ(TaskTypeText(static_cast<TaskType>(code)), text) << code;

    const std::vector<std::pair<int, const char*>> statuses
        = {{0, "Unknown"}, {1, "Waiting..."}, {2, "Stop"}, {3, "Running..."}, {4, "Unknown"}};
    for (const auto& [code, text] : statuses)
        EXPECT_EQ(TaskStatusText(static_cast<TaskStatus>(code)), text) << code;

    const std::vector<std::pair<int, const char*>> kinds = {{0, "Manual"}, {1, "Every Day"}, {2, "Every Week"},
        {3, "Every Month"}, {4, "Special Date"}, {5, "Minutes"}, {6, "Unknown"}};
    for (const auto& [code, text] : kinds)
        EXPECT_EQ(ScheduleKindText(static_cast<ScheduleKind>(code)), text) << code;
}

TEST(TaskTexts, TaskIdsDifferWithinOneSecond)
{
    const TimeStamp now {2007, 3, 5, 8, 4, 9, 2};
    EXPECT_EQ(MakeTaskId(now, 0),
        "200735849"
        "0");
    EXPECT_EQ(MakeTaskId(now, 12),
        "200735849"
        "12");
    EXPECT_NE(MakeTaskId(now, 1), MakeTaskId(now, 2));
    EXPECT_EQ(MakeTaskId({2024, 12, 31, 23, 59, 58, 3}, 3),
        "2024123123595"
        "8"
        "3");
}

TEST(TaskTexts, LogFileNames)
{
    const TimeStamp created {2007, 3, 5, 8, 4, 9, 2};
    const std::vector<std::pair<std::string, std::string>> rows = {
        {"Daily: web", "Daily web_200735849.log"},
        {"  \t a/b\\c*d?e<f>g|h\"i \r\n", "abcdefghi_200735849.log"},
        {"in  between  kept", "in  between  kept_200735849.log"},
        {"\\/:*?<>|\" \t\r\n", "Default_200735849.log"},
        {"", "Default_200735849.log"},
        {"caf\xc3\xa9", "caf\xc3\xa9_200735849.log"},
    };
    for (const auto& [name, expected] : rows)
        EXPECT_EQ(MakeLogFileName(name, created), expected) << name;
    EXPECT_EQ(MakeLogFileName("x", {2024, 11, 22, 13, 45, 50, 6}), "x_20241122134550.log");
}

TEST(TaskTexts, NamesAndDefaultFormats)
{
    EXPECT_EQ(CopyTaskName("A"), "A_Copy");
    EXPECT_EQ(CopyTaskName(CopyTaskName("A")), "A_Copy_Copy");
    EXPECT_EQ(DefaultTaskName(1), "Task 1");
    EXPECT_EQ(DefaultTaskName(12), "Task 12");
    EXPECT_EQ(DefaultFileNameFormat(1), "%HOST%_%DATE%_%TIME%");
    EXPECT_EQ(DefaultFileNameFormat(2), "%HOST%_%DATABASE%_%DATE%_%TIME%");
    EXPECT_EQ(DefaultFileNameFormat(3), "%HOST%_%DATABASE%_%TABLE%_%DATE%_%TIME%");
    EXPECT_EQ(DefaultFileNameFormat(0), "%HOST%_%DATE%_%TIME%");
    EXPECT_EQ(DefaultFileNameFormat(Task {}.backupSettings.fileSplit), Task {}.backupSettings.fileNameFormat);
}

} // namespace
} // namespace kelvanto
