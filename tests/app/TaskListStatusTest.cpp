// The progress of a run in words and in the control protocol's JSON: each way of counting,
// with and without a total, and the JSON read back as it was written (or as zeros when a
// member is not a count).
#include "app/TaskListStatus.h"

#include <gtest/gtest.h>

namespace kelvanto
{
namespace
{

RunProgress Statements(std::string object, std::uint64_t done, std::uint64_t total, std::uint64_t bytesDone = 0,
    std::uint64_t bytesTotal = 0)
{
    RunProgress progress {std::move(object)};
    progress.counting = RunProgress::Counting::Statements;
    progress.statementsDone = done;
    progress.statementsTotal = total;
    progress.bytesDone = bytesDone;
    progress.bytesTotal = bytesTotal;
    return progress;
}

TEST(TaskListStatusTest, ProgressReadsTheSameInWordsAndSurvivesTheProtocol)
{
    struct Row
    {
        RunProgress progress;
        std::string text;
        int percent;
    };
    const Row rows[] = {
        {{"sakila.rental", 1200, 16044}, "sakila.rental: 1200 of about 16044 rows (7%)", 7},
        {{"sakila.rental", 17000, 16044}, "sakila.rental: 17000 of about 16044 rows (99%)", 99},
        {{"sakila.actor", 1, 0}, "sakila.actor: 1 row", -1},
        {{"sakila.actor", 0, 0}, "sakila.actor: 0 rows", -1},
        // A script: the statement being sent, counted from 1, never past the last.
        {Statements("", 0, 120), "statement 1 of 120", 0},
        {Statements("", 119, 120), "statement 120 of 120", 99},
        {Statements("", 120, 120), "statement 120 of 120", 100},
        // A file: its statements so far and the share of its bytes.
        {Statements("sakila.sql", 1200, 0, 350, 1000), "sakila.sql: 1200 statements (35%)", 35},
        {Statements("one.sql", 1, 0, 10, 10), "one.sql: 1 statement (100%)", 100},
        {Statements("empty.sql", 0, 0, 0, 0), "empty.sql: 0 statements", -1},
        {Statements("huge.sql", 5, 0, 9'000'000'000'000'000'000u, 18'000'000'000'000'000'000u),
            "huge.sql: 5 statements (50%)", 50},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(ProgressText(row.progress), row.text);
        EXPECT_EQ(row.progress.Percent(), row.percent);
        const Json json = ProgressJson(row.progress);
        EXPECT_EQ(json["percent"], row.percent);
        EXPECT_EQ(ProgressFromJson(Json::parse(json.dump())), row.progress);
    }
}

TEST(TaskListStatusTest, MembersThatAreNotCountsReadAsZero)
{
    const Json odd = Json::parse(R"({"object": {"hex": "ff2e74"}, "rowsDone": -3, "rowsEstimate": "12",
        "counting": "bytes", "statementsDone": 1.5, "bytesTotal": null})");
    const RunProgress read = ProgressFromJson(odd);
    EXPECT_EQ(read, (RunProgress {"\xff.t"}));
    EXPECT_EQ(ProgressFromJson(Json::array()), RunProgress {});
    EXPECT_EQ(ProgressFromJson(Json("text")), RunProgress {});
}

} // namespace
} // namespace kelvanto
