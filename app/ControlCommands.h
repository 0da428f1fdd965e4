#pragma once

#include "app/ControlHandler.h"
#include "model/Result.h"

#include <functional>
#include <mutex>
#include <optional>
#include <string>

namespace kelvanto
{

class Application;
class TaskCommands;
class TaskNotices;

// The requests of the control protocol carried out on a scheduler's task list: each one is
// the window's command (TaskCommands, the server manager's commands) with the same log
// lines, saves and refusals. The service answers its socket with it, the command line uses
// it in-process on a folder that no scheduler holds, and the desktop window can answer its
// own socket with it.
class ControlCommands final : public ControlHandler
{
public:
    // What a command does to the task list: a window may answer a Read while one of its
    // dialogs is open, but holds a Change back until no dialog is.
    enum class Access : unsigned char {
        Read,
        Change,
    };
    // Runs one command on the thread that owns the task list and returns when it is done,
    // or returns an Error when the command could not be run (it then never runs, and the
    // error is the reply). The default runs it on the calling thread, one command at a
    // time; a window passes one that hands the command to its own thread. A followed run
    // waits for its end outside the executor.
    using Executor = std::function<Result<void>(Access, const std::function<void()>&)>;

    // schedulerName is what "hello" reports ("kelvanto-cli serve", "kelvanto").
    ControlCommands(Application& app, TaskCommands& commands, TaskNotices& notices, std::string schedulerName,
        Executor executor = {});

    void Handle(const ControlRequest& request, ControlSession& session) override;

    // Runs work through the executor, after and before any command of the socket (the
    // service's reload on SIGHUP, its quit).
    void RunExclusive(const std::function<void()>& work)
    {
        (void)Execute(Access::Change, [&] {
            work();
            return Json();
        });
    }

    // Called (inside the executor) after a command that may have added, removed or renamed
    // tasks.
    void SetListChangedHook(std::function<void()> hook) { m_listChanged = std::move(hook); }

private:
    Json Dispatch(const ControlRequest& request);
    void Run(const std::string& name, ControlSession& session);
    Json Start(const std::string& name);
    Json Stop(const std::string& name);
    Json Import(const Json& taskJson);
    Json Delete(const std::string& name);
    Json Rename(const std::string& name, const std::string& newName);
    Json Copy(const std::string& name);
    Json ServerAdd(const ControlRequest& request);
    Json ServerEdit(const ControlRequest& request);
    Json ServerRemove(const std::string& name);

    // Runs `work` through the executor and returns what it made.
    Json Execute(Access access, const std::function<Json()>& work);
    std::optional<std::size_t> IndexOf(const std::string& name) const;
    void ListChanged();

    Application& m_app;
    TaskCommands& m_commands;
    TaskNotices& m_notices;
    const std::string m_schedulerName;
    Executor m_executor;
    std::mutex m_defaultExecutorMutex;
    std::function<void()> m_listChanged;
};

} // namespace kelvanto
