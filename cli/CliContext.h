#pragma once

#include "app/Application.h"
#include "app/DataFolder.h"
#include "app/DataFolderLock.h"
#include "app/DefaultEngines.h"
#include "mysql/OpenConnection.h"
#include "schedule/Clock.h"
#include "schedule/RunContext.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <iosfwd>
#include <memory>
#include <optional>
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
    // Opens connections for "server test".
    Connector connector = MakeMariaDbConnector();
    // Set (by the SIGINT handler in the program) to ask a foreground run to stop.
    const std::atomic<bool>* interrupted = nullptr;
    // Set by a foreground run while it wants Ctrl-C as a stop request; at any other time the
    // program's handler lets Ctrl-C end the process as usual.
    std::atomic<bool>* catchInterrupt = nullptr;
    // How long a changing verb waits for a scheduler that is starting to open its control
    // socket, or for another command to let the data folder go.
    std::chrono::milliseconds settleWait {5000};
    // True when standard error is a terminal: a followed run then shows its progress on
    // one updating line there.
    bool errIsTerminal = false;

    // How a verb uses the data folder: reading only, or changing tasks and running them,
    // which needs the folder's lock for as long as the verb works.
    enum class Access {
        Read,
        Change,
    };

    // Locates and opens the data folder and the application; on failure writes the reason
    // to err and returns nullptr. The observer, when given, hears the runner (see Application::Open).
    // With Access::Change the folder's lock is taken first (as `verb`) and kept in `folderLock`;
    // a folder held by another process is refused with a message that names it.
    std::unique_ptr<Application> OpenApplication(
        TaskServerOwner* observer = nullptr, Access access = Access::Read, const std::string& verb = {});

    // The data folder's lock while a changing verb works; declared before any application
    // that a verb opens, so that it is released after that application is closed.
    DataFolderLock folderLock;
    // Locates and prepares the data folder; on failure writes the reason and returns nullopt.
    std::optional<DataFolder> LocateFolder();

    // Writes "kelvanto-cli: " + message + "\n" to err.
    void Fail(const std::string& message);
};

} // namespace kelvanto
