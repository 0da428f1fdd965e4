#include "model/SafeFolder.h"
#include "tests/cli/CliHarness.h"
#include "tests/cli/SakilaExample.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/RoundTrip.h"
#include "tests/support/RoundTripDatabase.h"
#include "tests/support/TestServer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <iostream>
#include <random>
#include <string>
#include <thread>

namespace kelvanto
{
namespace
{

namespace fs = std::filesystem;
using test::ChildProcess;

// Whole dumps end with the same closing lines, whenever they were made.
std::string Tail(const std::string& dump)
{
    return dump.size() < 400 ? dump : dump.substr(dump.size() - 400);
}

// kill -9 of `kelvanto-cli run` at ten points of a real backup (a fixed seed): every file
// under a final name is a whole dump and the rest are temporary files; the next run
// removes those and succeeds.
TEST(KillDuringRunServerTest, AKilledRunLeavesOnlyTemporaryFilesAndTheNextRunCleansThem)
{
    KELVANTO_REQUIRE_SERVER(server, 1);
    test::RoundTripDatabase database("clikill", {server});
    ASSERT_EQ(test::LoadSakila(server, database.name()), "");
    test::CliHarness h;
    ASSERT_NO_FATAL_FAILURE(test::ImportSakilaExample(h, server, database.name()));
    const fs::path backups = h.tmp.path() / "backups";
    const std::vector<std::string> run {
        test::CliExecutable(), "--data-dir", h.dataDir().string(), "run", "Backup sakila"};

    const auto started = std::chrono::steady_clock::now();
    const test::ProgramResult complete = test::RunProgram(run);
    const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started);
    ASSERT_EQ(complete.code, 0) << complete.out << complete.err;
    const std::vector<fs::path> first = test::FilesBelow(backups);
    ASSERT_EQ(first.size(), 1u);
    const std::string wholeTail = Tail(h.ReadFile(first[0]));

    const auto expectOnlyWholeOrTemporary = [&] {
        for (const fs::path& file : test::FilesBelow(backups)) {
            if (!IsPartialPath(file.string())) {
                EXPECT_EQ(Tail(h.ReadFile(file)), wholeTail) << file;
            }
        }
    };
    int killsThatLeftTemporaryFiles = 0;
    std::mt19937 random(16);
    std::uniform_int_distribution<long> at(0, took.count() + took.count() / 5);
    for (int point = 0; point < 10; ++point) {
        const long delay = at(random);
        SCOPED_TRACE("killed after " + std::to_string(delay) + " ms");
        ChildProcess child(run);
        std::this_thread::sleep_for(std::chrono::milliseconds(delay));
        child.Signal(SIGKILL);
        ASSERT_TRUE(child.Wait().has_value());
        expectOnlyWholeOrTemporary();
        const std::vector<fs::path> left = test::FilesBelow(backups);
        killsThatLeftTemporaryFiles
            += std::any_of(left.begin(), left.end(), [](const fs::path& file) { return IsPartialPath(file.string()); });
    }
    std::cout << "[          ] " << killsThatLeftTemporaryFiles << " of 10 kills left temporary files\n";

    const test::ProgramResult next = test::RunProgram(run);
    ASSERT_EQ(next.code, 0) << next.out << next.err;
    expectOnlyWholeOrTemporary();
    for (const fs::path& file : test::FilesBelow(backups))
        EXPECT_FALSE(IsPartialPath(file.string())) << file;
}

} // namespace
} // namespace kelvanto
