#pragma once

#include "app/ControlClient.h"
#include "app/ControlProtocol.h"
#include "cli/CliContext.h"
#include "model/Result.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace kelvanto
{

class Application;
class ControlCommands;
class TaskCommands;
class TaskNotices;

// Where a verb that changes a data folder sends its request. When a scheduler holds the
// folder, its control socket: the scheduler carries the change out. Otherwise the verb takes
// the folder's lock itself and carries the same request out in-process with the same
// commands, so that both ways make the same change with the same log lines and refusals.
class ChangeTarget
{
public:
    // Waits up to the context's settleWait for a scheduler that is starting to open its
    // socket, or for another command to let the folder go. Writes the reason and returns
    // nullptr when neither happens. In-process, only a verb that runs tasks (runsTasks) has
    // the engines: the other verbs change the list, and a task they start stays Stopped
    // until a scheduler starts, instead of beginning a run in a process that is ending.
    static std::unique_ptr<ChangeTarget> Open(CliContext& context, const std::string& verb, bool runsTasks = false);

    ~ChangeTarget();
    ChangeTarget(const ChangeTarget&) = delete;
    ChangeTarget& operator=(const ChangeTarget&) = delete;

    // True when a scheduler carries the requests out.
    bool Remote() const { return m_client.has_value(); }

    // Sends one request and calls onMessage for its reply and, for a followed run, for every
    // event up to its "end". While a run is followed, the context's interrupted flag (Ctrl-C)
    // is looked at between messages; once it is set, `stopRequest` is sent (on a connection
    // of its own) and the run is followed on to its end. An Error when the conversation
    // itself failed.
    Result<void> Exchange(
        const Json& request, const std::function<void(const Json&)>& onMessage, const Json& stopRequest = {});
    // Sends one request and returns its reply.
    Result<Json> Request(const Json& request);

    // The application of an in-process target (nullptr when remote).
    Application* LocalApplication() { return m_app.get(); }

    // Only Open() constructs.
    ChangeTarget() = default;

private:
    Result<void> ExchangeRemote(
        const Json& request, const std::function<void(const Json&)>& onMessage, const Json& stopRequest);
    void SendStop(const Json& stopRequest);

    CliContext* m_context = nullptr;
    std::optional<ControlClient> m_client;
    std::filesystem::path m_socketPath;
    // In-process: declared so that the handler and the commands go first, then the
    // application (which stops its workers), then the notices that the workers called.
    std::unique_ptr<TaskNotices> m_notices;
    std::unique_ptr<Application> m_app;
    std::unique_ptr<TaskCommands> m_commands;
    std::unique_ptr<ControlCommands> m_handler;
};

// True when a holder's description names a scheduler (the desktop application or the
// service) rather than another command line.
bool IsSchedulerHolder(const std::string& description);

} // namespace kelvanto
