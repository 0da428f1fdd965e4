#include "app/ControlClient.h"
#include "app/ControlProtocol.h"
#include "model/SafeFolder.h"
#include "tests/cli/CliHarness.h"
#include "tests/cli/SakilaExample.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/RoundTrip.h"
#include "tests/support/RoundTripDatabase.h"
#include "tests/support/TestServer.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <memory>
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

// The backup example on a private copy of Sakila, and the checks of what runs left in its
// backup folder.
class KillDuringRun : public ::testing::Test
{
protected:
    void Prepare(const test::TestServerAddress& server, const std::string& database,
        const nlohmann::json& extras = nlohmann::json::object())
    {
        ASSERT_EQ(test::LoadSakila(server, database), "");
        ASSERT_NO_FATAL_FAILURE(test::ImportSakilaExample(h, server, database, extras));
    }

    // Runs the backup whole once: how long it took, and its one file.
    void RunWhole(const std::vector<std::string>& run, std::chrono::milliseconds& took, fs::path& file)
    {
        const auto started = std::chrono::steady_clock::now();
        const test::ProgramResult complete = test::RunProgram(run);
        took = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started);
        ASSERT_EQ(complete.code, 0) << complete.out << complete.err;
        const std::vector<fs::path> first = test::DumpsBelow(backups);
        ASSERT_EQ(first.size(), 1u);
        file = first[0];
    }

    std::vector<std::string> Cli(std::vector<std::string> args) const
    {
        std::vector<std::string> argv {test::CliExecutable(), "--data-dir", h.dataDir().string()};
        argv.insert(argv.end(), args.begin(), args.end());
        return argv;
    }

    // Every file under a final name ends as a whole dump does; true when a temporary file is left.
    bool ExpectOnlyWholeOrTemporary() const
    {
        bool temporary = false;
        for (const fs::path& file : test::DumpsBelow(backups)) {
            if (IsPartialPath(file.string()))
                temporary = true;
            else
                EXPECT_EQ(Tail(h.ReadFile(file)), wholeTail) << file;
        }
        return temporary;
    }

    test::CliHarness h;
    fs::path backups = h.tmp.path() / "backups";
    std::string wholeTail;
};

// A scheduler that answers on its socket.
bool Answers(const fs::path& data)
{
    auto client = ControlClient::Connect(data / "kelvanto.sock");
    if (!client)
        return false;
    auto reply = client->Request(ControlRequestLine("hello"), std::chrono::seconds(2));
    return reply && (*reply)["ok"] == true;
}

std::unique_ptr<ChildProcess> StartService(const std::vector<std::string>& argv, const fs::path& data)
{
    auto service = std::make_unique<ChildProcess>(argv);
    for (int i = 0; i < 1000 && service->Running() && !Answers(data); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_TRUE(service->Running()) << service->Err();
    return service;
}

// kill -9 of `kelvanto-cli run`, then of the service (`serve`) running what a command line
// asked for, at ten points of a real backup each (fixed seeds): every file under a final
// name is a whole dump and the rest are temporary files; the next run removes those and
// succeeds.
TEST_F(KillDuringRun, AKilledRunLeavesOnlyTemporaryFilesAndTheNextRunCleansThem)
{
    KELVANTO_REQUIRE_SERVER(server, 1);
    test::RoundTripDatabase database("clikill", {server});
    ASSERT_NO_FATAL_FAILURE(Prepare(server, database.name()));
    const std::vector<std::string> serve = Cli({"serve"});
    const std::vector<std::string> run = Cli({"run", "Backup sakila"});

    std::chrono::milliseconds took {};
    fs::path first;
    ASSERT_NO_FATAL_FAILURE(RunWhole(run, took, first));
    wholeTail = Tail(h.ReadFile(first));

    for (const bool viaService : {false, true}) {
        SCOPED_TRACE(viaService ? "serve killed" : "run killed");
        std::unique_ptr<ChildProcess> service;
        int killsThatLeftTemporaryFiles = 0;
        std::mt19937 random(viaService ? 61 : 16);
        std::uniform_int_distribution<long> at(0, took.count() + took.count() / 5);
        for (int point = 0; point < 10; ++point) {
            const long delay = at(random);
            SCOPED_TRACE("killed after " + std::to_string(delay) + " ms");
            if (viaService && (!service || !service->Running()))
                service = StartService(serve, h.dataDir());
            ChildProcess asking(run);
            std::this_thread::sleep_for(std::chrono::milliseconds(delay));
            (viaService ? *service : asking).Signal(SIGKILL);
            ASSERT_TRUE((viaService ? *service : asking).Wait().has_value());
            asking.Signal(SIGKILL);
            asking.Wait();
            killsThatLeftTemporaryFiles += ExpectOnlyWholeOrTemporary() ? 1 : 0;
        }
        std::cout << "[          ] " << killsThatLeftTemporaryFiles << " of 10 kills left temporary files\n";

        if (viaService)
            service = StartService(serve, h.dataDir());
        const test::ProgramResult next = test::RunProgram(run);
        ASSERT_EQ(next.code, 0) << next.out << next.err;
        if (service) {
            service->Signal(SIGTERM);
            service->Wait();
        }
        ExpectOnlyWholeOrTemporary();
        for (const fs::path& file : test::DumpsBelow(backups))
            EXPECT_FALSE(IsPartialPath(file.string())) << file;
    }
}

// What the stock zstd makes of a file, whole or cut (it then writes what it could decode).
std::string StockZstd(const fs::path& file)
{
    const std::string command = "zstd -dcq " + test::ShellQuote(file.string()) + " 2>/dev/null";
    std::string text;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[65536];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
            text.append(buffer, n);
        ::pclose(pipe);
    }
    return text;
}

// The lines of a dump but its comments (the header's lines carry the run's time).
std::vector<std::string> Statements(const std::string& dump, bool dropLastLine)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = dump.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(dump.substr(start, end - start));
    if (!dropLastLine && start < dump.size())
        lines.push_back(dump.substr(start));
    std::erase_if(lines, [](const std::string& line) { return line.starts_with("--"); });
    return lines;
}

// kill -9 of `kelvanto-cli run` with zstd on, at six points of a real backup: the files under
// a final name decompress whole; the temporary ones decompress with the stock tool to the
// start of the whole dump, every line written before the last flush included; the next run
// removes them.
TEST_F(KillDuringRun, AKilledCompressedRunLeavesTemporaryFilesThatDecompressToTheirLastFlush)
{
    KELVANTO_REQUIRE_SERVER(server, 1);
    test::RoundTripDatabase database("clikillz", {server});
    ASSERT_NO_FATAL_FAILURE(Prepare(server, database.name(), {{"compression", "zstd"}}));
    const std::vector<std::string> run = Cli({"run", "Backup sakila"});
    std::chrono::milliseconds took {};
    fs::path first;
    ASSERT_NO_FATAL_FAILURE(RunWhole(run, took, first));
    ASSERT_TRUE(first.string().ends_with(".sql.zst")) << first;
    const std::vector<std::string> whole = Statements(StockZstd(first), false);
    ASSERT_GT(whole.size(), 100u);

    std::mt19937 random(27);
    std::uniform_int_distribution<long> at(0, took.count());
    int cutFiles = 0;
    for (int point = 0; point < 6; ++point) {
        const long delay = at(random);
        SCOPED_TRACE("killed after " + std::to_string(delay) + " ms");
        ChildProcess asking(run);
        std::this_thread::sleep_for(std::chrono::milliseconds(delay));
        asking.Signal(SIGKILL);
        ASSERT_TRUE(asking.Wait().has_value());
        for (const fs::path& file : test::DumpsBelow(backups)) {
            SCOPED_TRACE(file.string());
            const bool partial = IsPartialPath(file.string());
            const std::vector<std::string> lines = Statements(StockZstd(file), partial);
            if (!partial) {
                EXPECT_EQ(lines, whole);
                continue;
            }
            ++cutFiles;
            ASSERT_LE(lines.size(), whole.size());
            EXPECT_TRUE(std::equal(lines.begin(), lines.end(), whole.begin()));
            // Beyond the first buffer the sink has flushed at least once.
            if (fs::file_size(file) > 256 * 1024) {
                EXPECT_GT(lines.size(), 10u);
            }
        }
    }
    std::cout << "[          ] " << cutFiles << " temporary files left by 6 kills\n";
    const test::ProgramResult next = test::RunProgram(run);
    ASSERT_EQ(next.code, 0) << next.out << next.err;
    for (const fs::path& file : test::DumpsBelow(backups))
        EXPECT_FALSE(IsPartialPath(file.string())) << file;
}

} // namespace
} // namespace kelvanto
