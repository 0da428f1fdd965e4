#pragma once

#include "app/Application.h"
#include "app/DataFolder.h"
#include "app/DefaultEngines.h"
#include "schedule/Clock.h"
#include "schedule/RunContext.h"

#include <atomic>
#include <functional>
#include <iosfwd>
#include <memory>
#include <string>

namespace kelvanto
{

// What every verb of kelvanto-cli is given: its streams, where the data folder is and how
// the program is wired. main() fills it from the process; tests fill it with their own.
class CliContext
{
public:
    CliContext(std::ostream& out, std::ostream& err, std::istream& in);

    std::ostream& out;
    std::ostream& err;
    std::istream& in;

    std::string dataDir; // --data-dir, empty when not given
    DataFolder::EnvLookup env = DataFolder::ProcessEnvironment();
    std::shared_ptr<Clock> clock = std::make_shared<SystemClock>();
    std::function<EngineTable()> engines = MakeDefaultEngines;
    // Set (by the SIGINT handler in the program) to ask a foreground run to stop.
    const std::atomic<bool>* interrupted = nullptr;
    // Set by a foreground run while it wants Ctrl-C as a stop request; at any other time the
    // program's handler lets Ctrl-C end the process as usual.
    std::atomic<bool>* catchInterrupt = nullptr;

    // Locates and opens the data folder and the application; on failure writes the reason
    // to err and returns nullptr. The observer, when given, hears the runner (see Application::Open).
    std::unique_ptr<Application> OpenApplication(TaskServerOwner* observer = nullptr);
    // Writes "kelvanto-cli: " + message + "\n" to err.
    void Fail(const std::string& message);
};

} // namespace kelvanto
