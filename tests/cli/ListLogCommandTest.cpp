#include "model/OptionsStore.h"
#include "model/TaskTexts.h"
#include "schedule/TaskLog.h"
#include "tests/cli/CliHarness.h"
#include "tests/support/OtherUser.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sys/stat.h>

namespace kelvanto
{
namespace
{

using test::CliHarness;

std::vector<std::string> Lines(const std::string& text, const std::string& end = "\n")
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t at; (at = text.find(end, start)) != std::string::npos; start = at + end.size())
        lines.push_back(text.substr(start, at - start));
    return lines;
}

TEST(ListLogCommandTest, ListShowsOneRowPerTaskInTheOptionsFormats)
{
    CliHarness h;
    EXPECT_EQ(h.Run({"list"}).out, "") << "an empty data folder lists nothing";

    ASSERT_EQ(h.Run({"task", "import", "-"},
                   R"({"name": "Nightly", "type": 1, "schedule": {"kind": 1, "hour": 2},
                          "lastRunTime": {"year": 2005, "month": 1, "day": 1, "hour": 20, "minute": 20, "second": 20, "dayOfWeek": 7},
                          "nextRunTime": {"year": 2005, "month": 1, "day": 2, "hour": 2, "dayOfWeek": 1}})")
                  .code,
        0);
    ASSERT_EQ(h.Run({"task", "import", "-"}, R"({"name": "Every 90", "type": 4, "schedule": {"kind": 5}})").code, 0);

    auto list = h.Run({"list"});
    EXPECT_EQ(list.code, 0);
    EXPECT_EQ(list.out,
        "Nightly\tBackup to SQL/PHP files\tEvery Day\tStop\tSat, Jan 01, 2005 20:20\tSun, Jan 02, 2005 02:00\t\n"
        "Every 90\tExport to CSV/XML/HTML/TEXT files\tMinutes\tStop\t\t\t\n");

    Options options;
    options.dateFormat = 2;
    options.timeFormat = 2;
    ASSERT_TRUE(SaveOptionsFile(h.dataDir() / "opt_se.dll", options).ok());
    EXPECT_EQ(Lines(h.Run({"list"}).out).at(0),
        "Nightly\tBackup to SQL/PHP files\tEvery Day\tStop\tSat, 01 Jan, 2005 08:20 P.M\tSun, 02 Jan, 2005 02:00 "
        "A.M\t");
}

// A task whose extras entry cannot be read: `list` says so and changes no file (no entry is
// set aside, no log written); the task is not exported without its settings.
TEST(ListLogCommandTest, ATaskWhoseExtrasCannotBeReadIsToldAndNoFileChanges)
{
    CliHarness h;
    ASSERT_EQ(h.Run({"task", "import", "-"}, R"({"name": "Nightly", "extras": {"routines": true}})").code, 0);
    ASSERT_EQ(h.Run({"task", "import", "-"}, R"({"name": "Other", "extras": {"routines": true}})").code, 0);
    const auto extrasFile = h.dataDir() / "tasks_extras.json";
    std::string extras = h.ReadFile(extrasFile);
    const auto level = extras.find(R"("compressionLevel": 0)");
    ASSERT_NE(level, std::string::npos);
    extras.replace(level, 21, R"("compressionLevel": 99)");
    std::ofstream(extrasFile, std::ios::trunc) << extras;
    const auto snapshot = [&] {
        std::vector<std::string> files;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(h.dataDir()))
            files.push_back(entry.path().string() + "=" + h.ReadFile(entry.path()));
        std::sort(files.begin(), files.end());
        return files;
    };
    const auto before = snapshot();

    const auto list = h.Run({"list"});
    EXPECT_EQ(list.code, 0);
    const auto rows = Lines(list.out);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_NE(rows[0].find("\tdoes not run: its extra settings cannot be read (" + extrasFile.string()
                  + ": tasks[0].extras.compressionLevel: must be an integer from -131072 to 22)"),
        std::string::npos)
        << rows[0];
    EXPECT_EQ(rows[1].find("does not run"), std::string::npos) << rows[1];
    const auto exported = h.Run({"task", "export", "Nightly"});
    EXPECT_EQ(exported.code, 1);
    EXPECT_NE(exported.err.find("is not exported: its extra settings cannot be read"), std::string::npos);
    EXPECT_EQ(h.Run({"task", "export", "Other"}).code, 0);
    EXPECT_EQ(h.Run({"log", "Nightly"}).code, 0);
    EXPECT_EQ(snapshot(), before);
}

class LogCommandTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_EQ(h.Run({"task", "import", "-"}, R"({"name": "T"})").code, 0);
        logFile = MakeLogFileName("T", CliHarness::kNow);
        // 250 records in all: "Create task", then m2 ... m250, with one warning and one error.
        TaskLog log(h.dataDir() / "Logs", h.clock);
        for (int i = 2; i <= 250; ++i) {
            const LogLevel level = i == 249 ? LogLevel::Warning : i == 250 ? LogLevel::Error : LogLevel::General;
            ASSERT_TRUE(log.WriteLog(logFile, level, "m" + std::to_string(i)));
        }
    }

    CliHarness h;
    std::string logFile;
};

TEST_F(LogCommandTest, ShowsTheLastTwoHundredOrEveryRecord)
{
    auto last = h.Run({"log", "T"});
    EXPECT_EQ(last.code, 0);
    auto lines = Lines(last.out);
    ASSERT_EQ(lines.size(), 200u);
    EXPECT_EQ(lines.front(), "1\tMon, Dec 07, 2026 09:30:15\tGeneral Info\tm51");
    EXPECT_EQ(lines[198], "199\tMon, Dec 07, 2026 09:30:15\tWarning Info\tm249");
    EXPECT_EQ(lines.back(), "200\tMon, Dec 07, 2026 09:30:15\tError Info\tm250");

    auto all = Lines(h.Run({"log", "T", "--all"}).out);
    ASSERT_EQ(all.size(), 250u);
    EXPECT_EQ(all.front(), "1\tMon, Dec 07, 2026 09:30:15\tGeneral Info\tCreate task");
    EXPECT_EQ(all.back(), "250\tMon, Dec 07, 2026 09:30:15\tError Info\tm250");

    EXPECT_EQ(h.Run({"log", "nobody"}).code, 1);
}

TEST_F(LogCommandTest, ExportsAppendCsvAndTxtLinesAndCopyTheLogFile)
{
    const std::string csv = h.WriteFile("out.csv", "kept\r\n");
    const std::string txt = (h.tmp.path() / "out.txt").string();
    const std::string copy = h.WriteFile("copy.log", "replaced");
    auto result = h.Run({"log", "T", "--all", "--csv", csv, "--txt", txt, "--log", copy});
    EXPECT_EQ(result.code, 0) << result.err;
    EXPECT_EQ(result.out, "");

    auto csvLines = Lines(h.ReadFile(csv), "\r\n");
    ASSERT_EQ(csvLines.size(), 251u);
    EXPECT_EQ(csvLines[0], "kept");
    EXPECT_EQ(csvLines[1], "\"Mon, Dec 07, 2026 09:30:15\",\"General Info\",\"Create task\"");
    EXPECT_EQ(csvLines[250], "\"Mon, Dec 07, 2026 09:30:15\",\"Error Info\",\"m250\"");

    auto txtLines = Lines(h.ReadFile(txt), "\r\n");
    ASSERT_EQ(txtLines.size(), 250u);
    EXPECT_EQ(txtLines[248], "[Mon, Dec 07, 2026 09:30:15]\tWarning Info\tm249");

    EXPECT_EQ(h.ReadFile(copy), h.ReadFile(h.dataDir() / "Logs" / logFile));
    EXPECT_EQ(h.ReadFile(copy).size(), 4u + 250u * 360u);

    // Without --all the export holds what the viewer shows first: the last 200.
    const std::string recent = (h.tmp.path() / "recent.csv").string();
    ASSERT_EQ(h.Run({"log", "T", "--csv", recent}).code, 0);
    EXPECT_EQ(Lines(h.ReadFile(recent), "\r\n").size(), 200u);

    auto unwritable = h.Run({"log", "T", "--txt", (h.tmp.path() / "no" / "such" / "dir.txt").string()});
    EXPECT_EQ(unwritable.code, 1);
    EXPECT_NE(unwritable.err.find("cannot write"), std::string::npos);
}

// New exports are the owner's only; another user's link at the target is not written through.
TEST_F(LogCommandTest, ExportsAreOwnersOnlyAndNeverFollowAnotherUsersLink)
{
    const auto mode = [](const std::string& path) {
        struct stat status
        { };
        return ::stat(path.c_str(), &status) == 0 ? status.st_mode & 07777 : 0u;
    };
    for (const char* option : {"--csv", "--txt", "--log"}) {
        SCOPED_TRACE(option);
        const std::string target = (h.tmp.path() / (std::string(option + 2) + ".out")).string();
        ASSERT_EQ(h.Run({"log", "T", option, target}).code, 0);
        EXPECT_EQ(mode(target), 0600u);
        // Over a file that others may read, the export is the owner's alone as well.
        ASSERT_EQ(::chmod(target.c_str(), 0644), 0);
        ASSERT_EQ(h.Run({"log", "T", option, target}).code, 0);
        EXPECT_EQ(mode(target), 0600u);
        if (!test::CanPlantAsOtherUser())
            continue;
        const std::string victim = h.WriteFile(std::string(option + 2) + ".victim", "precious");
        const std::string planted = (h.tmp.path() / (std::string(option + 2) + ".planted")).string();
        std::filesystem::create_symlink(victim, planted);
        test::GiveToOtherUser(planted);
        EXPECT_EQ(h.Run({"log", "T", option, planted}).code, 1);
        EXPECT_EQ(h.ReadFile(victim), "precious");
    }
}

TEST_F(LogCommandTest, AnEmptyLogHasNothingToExport)
{
    std::filesystem::remove(h.dataDir() / "Logs" / logFile);
    EXPECT_EQ(h.Run({"log", "T"}).out, "");
    const auto target = h.tmp.path() / "never.csv";
    auto result = h.Run({"log", "T", "--csv", target.string()});
    EXPECT_EQ(result.code, 1);
    EXPECT_EQ(result.err, "There are not any task logs!\n");
    EXPECT_FALSE(std::filesystem::exists(target));
}

} // namespace
} // namespace kelvanto
