// The workers of a parallel restore share one run context: their lines reach it one at a
// time, each named by its file, and one worker's stop reaches all of them. The run context
// below records without a lock of its own, so that ThreadSanitizer sees any call that is
// not serialised.
#include "engines/restore/RestoreWorkerContext.h"
#include "tests/support/FakeRunContext.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <thread>
#include <vector>

namespace kelvanto::test
{
namespace
{

class UnlockedContext : public FakeRunContext
{
public:
    void Log(LogLevel level, std::string_view message) override { lines.push_back({level, std::string(message)}); }
    void ReportProgress(const RunProgress& progress) override { reports.push_back(progress.object); }
    bool QuitRequested() override { return ++checks, quit; }

    std::vector<LogLine> lines;
    std::vector<std::string> reports;
    std::size_t checks = 0;
    bool quit = false;
};

TEST(RestoreWorkerContext, LinesOfEveryWorkerArriveWholeNamedAndInTheirOrder)
{
    UnlockedContext run;
    RestoreWorkersShared shared(run);
    constexpr int kWorkers = 4;
    constexpr int kLines = 300;
    {
        std::vector<std::jthread> threads;
        for (int worker = 0; worker < kWorkers; ++worker) {
            threads.emplace_back([&shared, worker] {
                RestoreWorkerContext context(shared);
                context.Log(LogLevel::General, "Restoring...  /dumps/t" + std::to_string(worker) + ".sql");
                context.SetFile("t" + std::to_string(worker) + ".sql");
                for (int line = 0; line < kLines; ++line) {
                    RunProgress progress;
                    progress.object = "t" + std::to_string(worker) + ".sql";
                    context.ReportProgress(progress);
                    context.Log(LogLevel::Error, "line " + std::to_string(line));
                    EXPECT_FALSE(context.QuitRequested());
                }
            });
        }
    }
    ASSERT_EQ(run.lines.size(), static_cast<std::size_t>(kWorkers * (kLines + 1)));
    std::map<std::string, int> next; // by file: the number of its next line
    for (const LogLine& line : run.lines) {
        SCOPED_TRACE(line.text);
        if (line.text.rfind("Restoring...  ", 0) == 0) {
            EXPECT_EQ(line.level, LogLevel::General);
            continue;
        }
        const std::size_t colon = line.text.find(": line ");
        ASSERT_NE(colon, std::string::npos);
        const std::string file = line.text.substr(0, colon);
        EXPECT_EQ(line.text.substr(colon + 7), std::to_string(next[file]++));
    }
    EXPECT_EQ(next.size(), static_cast<std::size_t>(kWorkers));
    // Progress is paced across the workers, not passed on for every statement.
    EXPECT_GE(run.reports.size(), 1u);
    EXPECT_LT(run.reports.size(), static_cast<std::size_t>(kWorkers * kLines));
    EXPECT_EQ(run.checks, static_cast<std::size_t>(kWorkers * kLines));
}

TEST(RestoreWorkerContext, OneWorkersStopReachesTheOthersAndARunStopReachesAll)
{
    UnlockedContext run;
    RestoreWorkersShared shared(run);
    RestoreWorkerContext first(shared);
    RestoreWorkerContext second(shared);
    EXPECT_FALSE(second.QuitRequested());
    std::jthread([&first] { first.StopAll(); }).join();
    EXPECT_TRUE(second.QuitRequested());
    EXPECT_TRUE(first.QuitRequested());
    EXPECT_FALSE(run.quit); // the run itself was not asked to stop

    RestoreWorkersShared other(run);
    RestoreWorkerContext third(other);
    EXPECT_FALSE(third.QuitRequested());
    run.quit = true;
    EXPECT_TRUE(third.QuitRequested());
}

} // namespace
} // namespace kelvanto::test
