#include "app/ControlCommands.h"

#include "app/Application.h"
#include "app/RunFollower.h"
#include "app/ServerProfileCommands.h"
#include "app/TaskChecks.h"
#include "app/TaskCommands.h"
#include "app/TaskFolderChecks.h"
#include "app/TaskJson.h"
#include "app/TaskListStatus.h"
#include "app/TaskNotices.h"
#include "model/ServerProfileCheck.h"
#include "model/TaskTexts.h"
#include "schedule/DateFormat.h"
#include "schedule/LogRecord.h"

#include <unistd.h>

namespace kelvanto
{

namespace
{

// How often a followed run looks whether its client is still there.
constexpr std::chrono::milliseconds kFollowPoll {100};

std::string Quoted(const std::string& name)
{
    return "\"" + name + "\"";
}

std::string NoTask(const std::string& name)
{
    return "no task named " + Quoted(name);
}

// "When you ask for it, the answer is yes": the per-task questions of Stop and Run
// Immediately were answered by the request itself.
bool Yes(const Task&)
{
    return true;
}

Json Named(const std::string& name, Json more = Json::object())
{
    Json reply {{"name", TextToJson(name)}};
    for (auto it = more.begin(); it != more.end(); ++it)
        reply[it.key()] = std::move(*it);
    return ControlOk(std::move(reply));
}

} // namespace

ControlCommands::ControlCommands(
    Application& app, TaskCommands& commands, TaskNotices& notices, std::string schedulerName, Executor executor)
    : m_app(app)
    , m_commands(commands)
    , m_notices(notices)
    , m_schedulerName(std::move(schedulerName))
    , m_executor(std::move(executor))
{ }

Json ControlCommands::Execute(Access access, const std::function<Json()>& work)
{
    Json reply;
    if (m_executor) {
        if (auto ran = m_executor(access, [&] { reply = work(); }); !ran)
            return ControlError(ran.error());
    } else {
        std::lock_guard lock(m_defaultExecutorMutex);
        reply = work();
    }
    return reply;
}

std::optional<std::size_t> ControlCommands::IndexOf(const std::string& name) const
{
    return m_app.FindTask(name);
}

void ControlCommands::ListChanged()
{
    if (m_listChanged)
        m_listChanged();
}

void ControlCommands::Handle(const ControlRequest& request, ControlSession& session)
{
    if (request.command == "run")
        return Run(request.Text("name"), session);
    session.Send(Dispatch(request));
}

Json ControlCommands::Dispatch(const ControlRequest& request)
{
    const std::string& command = request.command;
    if (command == "hello") {
        return ControlOk({{"scheduler", m_schedulerName}, {"pid", static_cast<long>(::getpid())},
            {"dataFolder", TextToJson(m_app.Folder().Root().string())}});
    }
    if (command == "list")
        return Execute(Access::Read, [&] { return ControlOk({{"tasks", TaskListJson(m_app, &m_notices)}}); });
    if (command == "start")
        return Start(request.Text("name"));
    if (command == "stop")
        return Stop(request.Text("name"));
    if (command == "task-import")
        return Import(request.objects.at("task"));
    if (command == "task-delete")
        return Delete(request.Text("name"));
    if (command == "task-rename")
        return Rename(request.Text("name"), request.Text("newName"));
    if (command == "task-copy")
        return Copy(request.Text("name"));
    if (command == "server-add")
        return ServerAdd(request);
    if (command == "server-edit")
        return ServerEdit(request);
    if (command == "server-remove")
        return ServerRemove(request.Text("name"));
    return ControlError("cmd: unknown command \"" + command + "\"");
}

void ControlCommands::Run(const std::string& name, ControlSession& session)
{
    std::unique_ptr<RunFollower> follower;
    const Json started = Execute(Access::Change, [&]() -> Json {
        const auto index = IndexOf(name);
        if (!index)
            return ControlError(NoTask(name));
        const Task task = *m_app.CopyOfTask(*index);
        if (task.status == TaskStatus::Running)
            return ControlError("the task " + Quoted(name) + " is running already");
        if (auto fault = CheckTaskFolderPlace(task, RunsAsSystemService()))
            return ControlError(fault->Text());
        // Listening before the run is asked for, so that no line of it is missed.
        follower = std::make_unique<RunFollower>(task.taskId, m_app.GetClock());
        m_notices.Add(follower.get());
        const int row = static_cast<int>(*index);
        if (m_commands.RunImmediately({*index}, Yes).empty())
            return ControlError("the task " + Quoted(name) + " is running already");
        if (!m_app.Server().HasWorker(row) && !follower->Began()) {
            m_app.Server().TaskAt(row).SetRunNow(0);
            return ControlError("tasks of this type cannot be run here (no engine for type "
                + std::to_string(static_cast<int>(task.type)) + ")");
        }
        return Named(name);
    });
    if (!session.Send(started) || started["ok"] != true) {
        if (follower)
            m_notices.Remove(follower.get());
        return;
    }

    const Options& options = m_app.GetOptions();
    for (;;) {
        auto event = follower->Next(kFollowPoll);
        if (!event) {
            if (session.Ended())
                break; // the client went away; the run goes on
            continue;
        }
        if (const auto* line = std::get_if<RunFollower::Line>(&*event)) {
            session.Send(ControlEvent("log",
                {{"time", FormatDateTime(line->time, options.dateFormat, options.timeFormat, true)},
                    {"level", static_cast<int>(line->level)}, {"levelName", std::string(LogLevelName(line->level))},
                    {"text", TextToJson(line->message)}}));
        } else if (const auto* progress = std::get_if<RunProgress>(&*event)) {
            session.Send(ControlEvent("progress", ProgressJson(*progress)));
        } else {
            const RunEnd end = std::get<RunFollower::End>(*event).end;
            session.Send(ControlEvent("end", {{"outcome", RunResultName(end.result)}, {"errors", end.errors}}));
            break;
        }
    }
    m_notices.Remove(follower.get());
}

Json ControlCommands::Start(const std::string& name)
{
    return Execute(Access::Change, [&]() -> Json {
        const auto index = IndexOf(name);
        if (!index)
            return ControlError(NoTask(name));
        const Task task = *m_app.CopyOfTask(*index);
        if (task.schedule.kind == ScheduleKind::Manual)
            return ControlError(
                "the task " + Quoted(name) + " has the schedule Manual: it runs only when asked (kelvanto-cli run)");
        if (auto fault = CheckTaskFolderPlace(task, RunsAsSystemService()))
            return ControlError(fault->Text());
        const bool changed = !m_commands.StartTasks({*index}).empty();
        return Named(name, {{"changed", changed}, {"status", TaskStatusText(m_app.CopyOfTask(*index)->status)}});
    });
}

Json ControlCommands::Stop(const std::string& name)
{
    return Execute(Access::Change, [&]() -> Json {
        const auto index = IndexOf(name);
        if (!index)
            return ControlError(NoTask(name));
        const bool changed = !m_commands.StopTasks({*index}, Yes).empty();
        return Named(name, {{"changed", changed}, {"status", TaskStatusText(m_app.CopyOfTask(*index)->status)}});
    });
}

Json ControlCommands::Import(const Json& taskJson)
{
    return Execute(Access::Change, [&]() -> Json {
        const ServerList servers = m_app.ServersCopy();
        auto task = TaskFromJsonValue(taskJson, &servers);
        if (!task)
            return ControlError(task.error());
        // Checked here as well as by CreateTask, so that the reply names the field; the
        // name's messages name it themselves and read as the wizard's.
        if (auto fault = CheckTask(*task))
            return ControlError(fault->field == "name" ? fault->message : fault->Text());
        const bool systemService = RunsAsSystemService();
        if (auto fault = CheckTaskFolderPlace(*task, systemService))
            return ControlError(fault->Text());
        // A folder that this scheduler cannot write to yet is told now, not at the first run;
        // the task is kept, since the folder may be made or opened to it afterwards.
        const auto access = CheckTaskFolderAccess(*task, systemService);
        // New Task; a Manual task is not run now (the window's question, answered No).
        auto created = m_commands.CreateTask(std::move(*task), false);
        if (!created)
            return ControlError(created.error());
        ListChanged();
        Json more = Json::object();
        if (access)
            more["warning"] = TextToJson(access->Text());
        return Named(m_app.CopyOfTask(*created)->name, std::move(more));
    });
}

Json ControlCommands::Delete(const std::string& name)
{
    return Execute(Access::Change, [&]() -> Json {
        const auto index = IndexOf(name);
        if (!index)
            return ControlError(NoTask(name));
        const auto deleted = m_commands.DeleteTasks({*index});
        ListChanged();
        if (!deleted)
            return ControlError(deleted.error());
        return Named(name);
    });
}

Json ControlCommands::Rename(const std::string& name, const std::string& newName)
{
    return Execute(Access::Change, [&]() -> Json {
        const auto index = IndexOf(name);
        if (!index)
            return ControlError(NoTask(name));
        if (auto renamed = m_commands.RenameTask(*index, newName); !renamed)
            return ControlError(renamed.error());
        // The window leaves the new name to the next save; a command line that ends here,
        // and readers of the file, should see it at once, and a name that could not be
        // saved is not kept (it would be lost at the next start).
        if (auto saved = m_app.SaveTaskList(); !saved) {
            (void)m_commands.RenameTask(*index, name);
            return ControlError("cannot save the task list: " + saved.error());
        }
        ListChanged();
        return Named(newName);
    });
}

Json ControlCommands::Copy(const std::string& name)
{
    return Execute(Access::Change, [&]() -> Json {
        const auto index = IndexOf(name);
        if (!index)
            return ControlError(NoTask(name));
        // The copy stays only when the list that holds it is on disk.
        const auto copy = m_commands.CopyTaskSaved(*index);
        if (!copy)
            return ControlError(copy.error());
        ListChanged();
        return Named(m_app.CopyOfTask(*copy)->name);
    });
}

Json ControlCommands::ServerAdd(const ControlRequest& request)
{
    return Execute(Access::Change, [&]() -> Json {
        auto profile = ServerProfileFromJson(request.objects.at("profile"), ServerConnection {});
        if (!profile)
            return ControlError("profile." + profile.error());
        const auto portText
            = request.texts.count("portText") ? request.Text("portText") : std::to_string(profile->port);
        if (auto added = AddServerProfile(m_app, *profile, portText); !added)
            return ControlError(added.error());
        return Named(profile->connectionName);
    });
}

Json ControlCommands::ServerEdit(const ControlRequest& request)
{
    return Execute(Access::Change, [&]() -> Json {
        const std::string& name = request.Text("name");
        std::optional<ServerConnection> current;
        const ServerList servers = m_app.ServersCopy();
        for (const ServerConnection& profile : servers.profiles()) {
            if (profile.connectionName == name) {
                current = profile;
                break;
            }
        }
        if (!current)
            return ControlError(NoSuchProfileMessage(name));
        // The dialog shows a stored port outside 1-65535 as 3306.
        current->port = DisplayedPort(current->port);
        auto profile = ServerProfileFromJson(request.objects.at("profile"), *current);
        if (!profile)
            return ControlError("profile." + profile.error());
        const auto portText
            = request.texts.count("portText") ? request.Text("portText") : std::to_string(profile->port);
        if (auto edited = EditServerProfile(m_app, name, *profile, portText); !edited)
            return ControlError(edited.error());
        return Named(profile->connectionName);
    });
}

Json ControlCommands::ServerRemove(const std::string& name)
{
    return Execute(Access::Change, [&]() -> Json {
        if (auto removed = RemoveServerProfile(m_app, name); !removed)
            return ControlError(removed.error());
        return Named(name);
    });
}

} // namespace kelvanto
