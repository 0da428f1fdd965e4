#pragma once

#include "model/Options.h"
#include "model/Result.h"
#include "model/ServerList.h"
#include "model/Task.h"
#include "mysql/Connection.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace kelvanto
{

class Application;
class DataFolder;
class FileDialogs;
class HelpOpener;
class Messages;

// What the task wizard, the property sheet and their pages are given: the program's data
// (the server list and its saving, the options, the task names), the one message interface,
// the manual, the file and folder pickers, and the connector that the pages' server probes connect through (run them
// off the user-interface thread with RunOffUiThread).
class TaskDialogContext
{
public:
    TaskDialogContext(
        Application& app, Messages& messages, HelpOpener& help, FileDialogs& fileDialogs, Connector connector);

    Messages& messages() const { return m_messages; }
    HelpOpener& help() const { return m_help; }
    FileDialogs& fileDialogs() const { return m_fileDialogs; }
    const Connector& connector() const { return m_connector; }

    const Options& options() const;
    const DataFolder& folder() const;
    // The server list ("Connections"); SaveServers writes it after a profile was added.
    ServerList& servers() const;
    Result<void> saveServers() const;
    // The names of the stored profiles, in list order.
    std::vector<std::string> serverNames() const;

    std::size_t taskCount() const;
    // True when a task other than the one at exceptIndex has exactly this name.
    bool taskNameExists(const std::string& name, std::optional<std::size_t> exceptIndex = {}) const;

private:
    Application& m_app;
    Messages& m_messages;
    HelpOpener& m_help;
    FileDialogs& m_fileDialogs;
    Connector m_connector;
};

} // namespace kelvanto
