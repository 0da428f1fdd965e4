#pragma once

#include "model/Result.h"
#include "model/Task.h"

#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kelvanto
{

class Application;
class TaskServerOwner;

// The commands of the task list, carried out on an Application without any window. The
// desktop window's menus and the service's control socket both call these, so that a change
// made from either is the same change: the same log lines, the same saves, the same starts.
//
// Questions are the caller's. It asks the command's question before calling; the per-task
// questions of Stop and Run Immediately are answered through a callback. Indices are rows of
// the task list; commands on a selection visit it from the first row to the last, and an
// index outside the list is skipped.
class TaskCommands
{
public:
    // Answers a per-task question for the task as it is when the command reaches it.
    using Confirm = std::function<bool(const Task&)>;

    // The owner is handed to the runner again when a loaded task list restarts it.
    TaskCommands(Application& app, TaskServerOwner* owner);

    // Finish of the wizard: the task is added (unique non-empty name, its log file made,
    // the list saved, "Create task" logged) and then started: a scheduled task at once, a
    // Manual one only when runManualNow (the answer to RunQuestion) is true, else it stays
    // Stopped. Returns the new row.
    Result<std::size_t> CreateTask(Task task, bool runManualNow);
    // OK of the edit sheet: only a Stopped task is edited. The task replaces the stored one,
    // the list is saved, "Edit task" logged; a scheduled task is started again, a Manual one
    // stays Stopped.
    Result<void> EditTask(std::size_t index, const Task& edited);
    // Each task copied as NAME_Copy, Stopped and never started, with a log of its own; the
    // list is saved once at the end, and then each copy's log gets "Create task by Copy task
    // NAME". A failed save keeps the copies (Application::TakeSaveFailure tells it). Returns
    // the rows of the copies.
    std::vector<std::size_t> CopyTasks(const std::vector<std::size_t>& indices);
    // The same for one task, kept only when the list that holds the copy is saved: a failed
    // save removes the copy and its log again and returns the error, and nothing is logged.
    Result<std::size_t> CopyTaskSaved(std::size_t index);
    // Stops every task of the selection, saves the list without them, and only then removes
    // them and deletes their logs. When the save fails nothing is removed, the scheduled
    // tasks among them are started again, and the error is returned.
    Result<void> DeleteTasks(const std::vector<std::size_t>& indices);
    // The same for every task of the list.
    Result<void> DeleteAll();
    // A non-empty name that no other task has (exact comparison); the log file name stays.
    // The list file gets the name with its next save.
    Result<void> RenameTask(std::size_t index, const std::string& newName);
    // "Start task" and a start for each Stopped scheduled task of the selection; returns
    // the rows that changed.
    std::vector<std::size_t> StartTasks(const std::vector<std::size_t>& indices);
    // Stops each Waiting task, and each Running one that confirmRunning accepts ("Stop task");
    // when a run was stopped, the list is saved (its run time is kept).
    std::vector<std::size_t> StopTasks(const std::vector<std::size_t>& indices, const Confirm& confirmRunning);
    // Asks confirm for each task of the selection that is not Running; Yes logs "Run task
    // immediately" and runs it once now, No clears its runNow.
    std::vector<std::size_t> RunImmediately(const std::vector<std::size_t>& indices, const Confirm& confirm);
    // Start and Stop for every task of the list, without per-task questions.
    std::vector<std::size_t> StartAll();
    std::vector<std::size_t> StopAll();
    // Writes the whole task list to path, and the tasks' extras to the extras file that goes
    // with it (Application::ExtrasFileFor) first.
    Result<void> SaveAs(const std::filesystem::path& path) const;
    // Replaces the task list by the tasks of the file: every task is stopped, the loaded ones
    // are added and the scheduled ones started again. A file whose records are damaged
    // leaves the list as it was and succeeds, as the task list file's rules say. The tasks get
    // the extras of the file's extras file; one that cannot be used leaves them off and is
    // reported through Application::TakeLoadNotices.
    Result<void> LoadFrom(const std::filesystem::path& path);

    // The end of the program (quit, or the end of the session): the options and the task
    // list are saved, then every worker is stopped and the list emptied.
    void Shutdown();

    bool AnyTaskRunning() const;

private:
    // Adds a copy of the task at index, not yet saved nor logged; its row, or nothing.
    std::optional<std::size_t> AddCopy(std::size_t index);
    void StopOne(std::size_t index);
    void StartOne(std::size_t index);

    Application& m_app;
    TaskServerOwner* m_owner;
};

} // namespace kelvanto
