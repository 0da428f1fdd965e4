// The service's messages: a task's line carries the task's name and the priority of its
// level; off the journal they are plain lines on standard error, one per message.
#include "cli/ServiceJournal.h"

#include "schedule/RunResult.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <utility>

namespace kelvanto
{
namespace
{

TEST(ServiceJournalTest, LevelsHavePrioritiesAndEveryMessageIsOneLine)
{
    EXPECT_EQ(ServiceJournal::PriorityOf(LogLevel::General), ServiceJournal::Priority::Info);
    EXPECT_EQ(ServiceJournal::PriorityOf(LogLevel::Warning), ServiceJournal::Priority::Warning);
    EXPECT_EQ(ServiceJournal::PriorityOf(LogLevel::Error), ServiceJournal::Priority::Error);
    // The end line of a run has the priority of its result.
    using P = ServiceJournal::Priority;
    for (const auto& [result, priority] :
        {std::pair {RunResult::Succeeded, P::Info}, std::pair {RunResult::CompletedWithErrors, P::Error},
            std::pair {RunResult::Failed, P::Error}, std::pair {RunResult::Cancelled, P::Warning}}) {
        SCOPED_TRACE(RunResultName(result));
        EXPECT_EQ(ServiceJournal::PriorityOf(RunEndLevel(result)), priority);
    }

    ::unsetenv("JOURNAL_STREAM");
    std::ostringstream err;
    ServiceJournal journal(err);
    EXPECT_FALSE(journal.ToJournal());
    journal.TaskLine("Nightly", LogLevel::Error, "Failed to connect to the MySQL server!\nError NO. 2002");
    journal.TaskLine("Two\nlines", LogLevel::General, "Finished");
    journal.Write(ServiceJournal::Priority::Notice, "Scheduler started");
    journal.Notify("READY=1"); // nobody listens: nothing happens
    EXPECT_EQ(err.str(),
        "Nightly: Failed to connect to the MySQL server! Error NO. 2002\n"
        "Two lines: Finished\n"
        "Scheduler started\n");

    // A stream that systemd did not open is not the journal, whatever the variable says.
    ::setenv("JOURNAL_STREAM", "1:1", 1);
    EXPECT_FALSE(ServiceJournal(err).ToJournal());
    ::unsetenv("JOURNAL_STREAM");
}

} // namespace
} // namespace kelvanto
