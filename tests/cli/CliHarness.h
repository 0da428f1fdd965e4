#pragma once

#include "cli/CliContext.h"
#include "cli/CommandLine.h"
#include "model/FileBytes.h"
#include "tests/support/FakeClock.h"
#include "tests/support/TempDir.h"

#include <atomic>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace kelvanto::test
{

struct CliResult
{
    int code = -1;
    std::string out;
    std::string err;
};

// Runs kelvanto-cli in-process against a private data folder, with a fixed clock and no
// environment (so that no user setting leaks in).
class CliHarness
{
public:
    // Monday 7 December 2026, 09:30:15.
    static constexpr TimeStamp kNow {2026, 12, 7, 9, 30, 15, 2};

    CliHarness()
        : clock(std::make_shared<FakeClock>(kNow))
    { }

    CliResult Run(const std::vector<std::string>& args, const std::string& input = {})
    {
        std::ostringstream out, err;
        std::istringstream in(input);
        CliContext context(out, err, in);
        context.env = [](const char*) -> std::optional<std::string> { return std::nullopt; };
        context.clock = clock;
        context.engines = engines;
        context.interrupted = interrupted;
        context.settleWait = settleWait;
        context.errIsTerminal = errIsTerminal;
        std::vector<std::string> all {"--data-dir", dataDir().string()};
        all.insert(all.end(), args.begin(), args.end());
        CliResult result;
        result.code = CommandLine(context).Run(all);
        result.out = out.str();
        result.err = err.str();
        return result;
    }

    std::filesystem::path dataDir() const { return tmp.path() / "data"; }
    std::filesystem::path taskListFile() const { return dataDir() / "tasks_se.tsk"; }

    // Writes text to a file below the temporary folder and returns its path.
    std::string WriteFile(const std::string& name, const std::string& text) const
    {
        const auto path = tmp.path() / name;
        std::ofstream(path, std::ios::binary) << text;
        return path.string();
    }

    std::string ReadFile(const std::filesystem::path& path) const
    {
        auto bytes = ReadFileBytes(path);
        return bytes ? *bytes : std::string("<missing>");
    }

    TempDir tmp;
    std::shared_ptr<FakeClock> clock;
    std::function<EngineTable()> engines = [] { return EngineTable {}; };
    const std::atomic<bool>* interrupted = nullptr;
    // Short: a held folder is refused after this wait.
    std::chrono::milliseconds settleWait {200};
    bool errIsTerminal = false;
};

} // namespace kelvanto::test
