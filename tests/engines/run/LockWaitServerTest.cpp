// A run that waits for a metadata lock that the test holds: it waits as long as its
// lockWaitTimeout, not the server's day, and then fails with the server's error named. A
// backup waits to read a table that another session holds with LOCK TABLES ... WRITE; a copy
// into another database of the same server waits to replace a table that another session's
// open transaction has read.
#include "tests/engines/run/StalledEngines.h"

#include <future>

namespace kelvanto::test
{
namespace
{

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr const char* kLockLine = "Waited too long for a lock on the MySQL server (lock_wait_timeout 2 s)!  Error NO. "
                                  "1205  Lock wait timeout exceeded; try restarting transaction\n";

// Runs the task with a lock wait of 2 s while `holder` holds its lock.
void ExpectTheLockWaitFailsTheRun(const StalledEngine& row, Task task, const std::filesystem::path& folder)
{
    task.extras.timeouts.lockWait = 2;
    FakeRunContext context(task, folder);
    const auto started = Clock::now();
    const RunOutcome outcome = StalledEngines::Run(row, context);
    EXPECT_LT(Clock::now() - started, 20s);
    EXPECT_EQ(ResultOf(outcome, context), RunResult::Failed) << context.LogText();
    EXPECT_NE(context.LogText().find(kLockLine), std::string::npos) << context.LogText();
    EXPECT_EQ(context.LogText().find("Finished"), std::string::npos) << context.LogText();
}

TEST_F(StalledEngines, ABackupBlockedByAMetadataLockFailsWithinItsLockWait)
{
    KELVANTO_REQUIRE_SERVER(server, 1);
    KELVANTO_REQUIRE_SERVER(other, 2);
    ASSERT_TRUE(Prepare(server, other));
    const std::unique_ptr<Connection> holder = Open(SettingsFor(server));
    ASSERT_TRUE(holder);
    ASSERT_TRUE(holder->Query("LOCK TABLES " + QuoteName(database()) + ".t WRITE")) << holder->ErrorText();
    const StalledEngine& backup = StalledEngineRows()[0];
    ExpectTheLockWaitFailsTheRun(backup, TaskFor(backup, server.port), folder());
    ASSERT_TRUE(holder->Query("UNLOCK TABLES"));

    // Let go, the same backup goes through.
    FakeRunContext again(TaskFor(backup, server.port), folder());
    EXPECT_EQ(ResultOf(Run(backup, again), again), RunResult::Succeeded) << again.LogText();
}

TEST_F(StalledEngines, ACopyIntoAnotherDatabaseBlockedByAMetadataLockFailsWithinItsLockWait)
{
    KELVANTO_REQUIRE_SERVER(server, 1);
    KELVANTO_REQUIRE_SERVER(other, 2);
    ASSERT_TRUE(Prepare(server, other));
    const StalledEngine& copy = StalledEngineRows()[2];
    ASSERT_EQ(copy.type, TaskType::BackupToDatabase);
    const Task task = TaskFor(copy, server.port);
    // A first copy makes the destination table; a transaction that has read it then holds it.
    FakeRunContext first(task, folder());
    ASSERT_EQ(ResultOf(Run(copy, first), first), RunResult::Succeeded) << first.LogText();
    const std::unique_ptr<Connection> holder = Open(SettingsFor(server));
    ASSERT_TRUE(holder);
    ASSERT_TRUE(holder->Query("START TRANSACTION") && holder->DiscardResults());
    ASSERT_TRUE(holder->Query("SELECT * FROM " + QuoteName(task.backupSettings.destDatabaseName) + ".t")
        && holder->DiscardResults())
        << holder->ErrorText();
    ExpectTheLockWaitFailsTheRun(copy, task, folder());
    EXPECT_TRUE(holder->Query("COMMIT"));
}

} // namespace
} // namespace kelvanto::test
