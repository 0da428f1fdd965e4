#include "app/DataFolderLock.h"
#include "tests/cli/CliHarness.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace kelvanto
{
namespace
{

using test::CliHarness;

constexpr const char* kTaskJson = R"({"name": "Nightly", "type": 5, "sqlStatements": ["SELECT 1;"]})";

TEST(DataFolderLockTest, OneHolderAtATimeAndTheRefusalNamesIt)
{
    test::TempDir tmp;
    EXPECT_FALSE(DataFolderLock::Holder(tmp.path()));

    auto first = DataFolderLock::Acquire(tmp.path(), "kelvanto");
    ASSERT_TRUE(first.ok()) << first.error();
    auto holder = DataFolderLock::Holder(tmp.path());
    ASSERT_TRUE(holder);
    EXPECT_EQ(holder->pid, ::getpid());
    EXPECT_EQ(holder->description, "kelvanto");

    // A second claim, even from the same process, is refused; waiting does not help while
    // the holder keeps it.
    auto second = DataFolderLock::Acquire(tmp.path(), "kelvanto-cli run", std::chrono::milliseconds(120));
    ASSERT_FALSE(second.ok());
    EXPECT_EQ(second.error(),
        "the data folder " + tmp.path().string() + " is in use by kelvanto (pid " + std::to_string(::getpid()) + ")");

    first->Release();
    EXPECT_FALSE(DataFolderLock::Holder(tmp.path()));
    auto third = DataFolderLock::Acquire(tmp.path(), "kelvanto-cli run");
    ASSERT_TRUE(third.ok()) << third.error();
    EXPECT_EQ(DataFolderLock::Holder(tmp.path())->description, "kelvanto-cli run");
}

TEST(DataFolderLockTest, AHolderKilledOutrightFreesTheFolder)
{
    test::TempDir tmp;
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        auto lock = DataFolderLock::Acquire(tmp.path(), "kelvanto-cli serve");
        const char byte = lock.ok() ? 'y' : 'n';
        (void)!::write(ready[1], &byte, 1);
        ::pause();
        ::_exit(0);
    }
    char byte = 0;
    ASSERT_EQ(::read(ready[0], &byte, 1), 1);
    ASSERT_EQ(byte, 'y');
    auto holder = DataFolderLock::Holder(tmp.path());
    ASSERT_TRUE(holder);
    EXPECT_EQ(holder->pid, child);
    EXPECT_FALSE(DataFolderLock::Acquire(tmp.path(), "kelvanto").ok());

    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    ::close(ready[0]);
    ::close(ready[1]);
    EXPECT_FALSE(DataFolderLock::Holder(tmp.path()));
    EXPECT_TRUE(DataFolderLock::Acquire(tmp.path(), "kelvanto").ok());
}

TEST(DataFolderLockTest, CommandsThatChangeTasksRefuseAHeldFolderAndReadersGoOn)
{
    CliHarness cli;
    ASSERT_EQ(cli.Run({"task", "import", "-"}, kTaskJson).code, 0);
    const std::string listBefore = cli.Run({"list"}).out;
    const std::string tasksBefore = cli.ReadFile(cli.taskListFile());

    auto held = DataFolderLock::Acquire(cli.dataDir(), "kelvanto");
    ASSERT_TRUE(held.ok()) << held.error();
    const std::string busy = "kelvanto-cli: the data folder " + cli.dataDir().string() + " is in use by kelvanto (pid "
        + std::to_string(::getpid()) + ")\n";
    for (const std::vector<std::string>& args :
        {std::vector<std::string> {"run", "Nightly"}, std::vector<std::string> {"task", "import", "-"}}) {
        SCOPED_TRACE(args[0]);
        const auto result = cli.Run(args, R"({"name": "Other", "type": 5, "sqlStatements": ["SELECT 2;"]})");
        EXPECT_EQ(result.code, 1);
        EXPECT_EQ(result.err, busy);
    }
    EXPECT_EQ(cli.ReadFile(cli.taskListFile()), tasksBefore);

    EXPECT_EQ(cli.Run({"list"}).out, listBefore);
    EXPECT_EQ(cli.Run({"task", "export", "Nightly"}).code, 0);
    EXPECT_EQ(cli.Run({"log", "Nightly"}).code, 0);

    held->Release();
    EXPECT_EQ(
        cli.Run({"task", "import", "-"}, R"({"name": "Other", "type": 5, "sqlStatements": ["SELECT 2;"]})").code, 0);
    // The command let the folder go when it ended.
    EXPECT_FALSE(DataFolderLock::Holder(cli.dataDir()));
}

} // namespace
} // namespace kelvanto
