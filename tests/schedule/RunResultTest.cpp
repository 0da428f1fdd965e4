// The result of a run: the rule that decides it, its end line (written and read back), the
// word the task list shows, and the latest result found in a task's log.
#include "schedule/RunResult.h"

#include "schedule/TaskLog.h"
#include "tests/support/FakeClock.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace kelvanto::test
{
namespace
{

TEST(RunResultTest, TheRuleTheEndLineAndTheWordAgree)
{
    struct Row
    {
        RunOutcome engine;
        std::size_t errors;
        bool lost;
        RunResult result;
        const char* line;
        LogLevel level;
        const char* word;
        const char* name;
    };
    const Row rows[] = {
        {RunOutcome::Finished, 0, false, RunResult::Succeeded, "Run ended: succeeded", LogLevel::General, "OK",
            "succeeded"},
        {RunOutcome::Finished, 3, false, RunResult::CompletedWithErrors, "Run ended: completed with errors (3)",
            LogLevel::Error, "Errors (3)", "completed-with-errors"},
        {RunOutcome::Failed, 0, false, RunResult::Failed, "Run ended: failed", LogLevel::Error, "Failed", "failed"},
        {RunOutcome::Failed, 12, false, RunResult::Failed, "Run ended: failed (12)", LogLevel::Error, "Failed",
            "failed"},
        {RunOutcome::Cancelled, 0, false, RunResult::Cancelled, "Run ended: cancelled", LogLevel::Warning, "Cancelled",
            "cancelled"},
        // A stop does not count its errors, and a lost connection fails whatever the engine said.
        {RunOutcome::Cancelled, 2, false, RunResult::Cancelled, "Run ended: cancelled", LogLevel::Warning, "Cancelled",
            "cancelled"},
        {RunOutcome::Cancelled, 1, true, RunResult::Failed, "Run ended: failed (1)", LogLevel::Error, "Failed",
            "failed"},
        {RunOutcome::Finished, 1, true, RunResult::Failed, "Run ended: failed (1)", LogLevel::Error, "Failed",
            "failed"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.line);
        const RunResult result = DecideRunResult(row.engine, row.errors, row.lost);
        EXPECT_EQ(result, row.result);
        const RunEnd end {result, row.errors};
        const std::string line = RunEndLine(end);
        EXPECT_EQ(line, row.line);
        EXPECT_EQ(RunEndLevel(result), row.level);
        EXPECT_EQ(RunEndWord(end), row.word);
        EXPECT_EQ(RunResultName(result), std::string(row.name));
        EXPECT_EQ(RunResultFromName(row.name), result);
        // Read back from the log: the same result, and the count the line shows.
        const auto parsed = ParseRunEndLine(line);
        ASSERT_TRUE(parsed.has_value());
        EXPECT_EQ(parsed->result, result);
        EXPECT_EQ(RunEndLine(*parsed), line);
    }
}

TEST(RunResultTest, LinesThatOnlyLookLikeAnEndAreNotOne)
{
    for (const char* line :
        {"Run ended: succeeded (2)", "Run ended: completed with errors", "Run ended: completed with errors (0)",
            "Run ended: failed (01)", "Run ended: failed (x)", "Run ended: failed ()", "Run ended: cancelled (1)",
            "Run ended: ok", "run ended: succeeded", "Run ended: succeeded ", " Run ended: failed", "Finished", ""}) {
        SCOPED_TRACE(line);
        EXPECT_FALSE(ParseRunEndLine(line).has_value());
    }
    EXPECT_FALSE(RunResultFromName("finished").has_value());
}

TEST(RunResultTest, TheLatestRunOfALogIsFoundWhereverItEnds)
{
    TempDir dir;
    auto clock = std::make_shared<FakeClock>(TimeStamp {2005, 1, 1, 20, 20, 20, 7});
    TaskLog log(dir.path(), clock);
    EXPECT_FALSE(LastRunOf(log, "t.log").has_value()) << "no log";
    ASSERT_TRUE(log.WriteLog("t.log", LogLevel::General, "Create task"));
    EXPECT_FALSE(LastRunOf(log, "t.log").has_value()) << "never ran";

    ASSERT_TRUE(log.WriteLog("t.log", LogLevel::General, "Running..."));
    ASSERT_TRUE(log.WriteLog("t.log", LogLevel::Error, "Run ended: failed (1)"));
    clock->Set(TimeStamp {2005, 1, 2, 8, 0, 0, 1});
    ASSERT_TRUE(log.WriteLog("t.log", LogLevel::General, "Running..."));
    ASSERT_TRUE(log.WriteLog("t.log", LogLevel::Error, "Run ended: completed with errors (2)"));
    // A line after the end that belongs to no run does not hide it.
    ASSERT_TRUE(log.WriteLog("t.log", LogLevel::General, "Start task"));
    auto last = LastRunOf(log, "t.log");
    ASSERT_TRUE(last.has_value());
    EXPECT_EQ(last->end, (RunEnd {RunResult::CompletedWithErrors, 2}));
    EXPECT_EQ(last->time.day, 2);
    EXPECT_TRUE(last->ended);

    ASSERT_TRUE(log.WriteLog("t.log", LogLevel::General, "Running..."));
    for (int i = 0; i < 600; ++i)
        ASSERT_TRUE(log.WriteLog("t.log", LogLevel::General, "Backup the table t" + std::to_string(i)));
    last = LastRunOf(log, "t.log");
    ASSERT_TRUE(last.has_value());
    EXPECT_FALSE(last->ended) << "a run without its end line, going on or cut off";
    ASSERT_TRUE(log.WriteLog("t.log", LogLevel::General, "Run ended: succeeded"));
    for (int i = 0; i < 600; ++i)
        ASSERT_TRUE(log.WriteLog("t.log", LogLevel::General, "Start task"));
    last = LastRunOf(log, "t.log");
    ASSERT_TRUE(last.has_value());
    EXPECT_EQ(last->end, (RunEnd {RunResult::Succeeded, 0}));

    ASSERT_TRUE(log.DeleteLog("t.log"));
    ASSERT_TRUE(log.WriteLog("t.log", LogLevel::General, ""));
    EXPECT_FALSE(LastRunOf(log, "t.log").has_value()) << "an emptied log shows nothing";
}

} // namespace
} // namespace kelvanto::test
