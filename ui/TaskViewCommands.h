#pragma once

#include "model/Task.h"

#include <QObject>
#include <QPointer>

#include <map>
#include <optional>
#include <string>

class QWidget;

namespace kelvanto
{

class TaskListView;
class TaskLogDialog;
struct MainContext;

// The task list's commands as the main window offers them: each asks its questions through
// the message interface, carries the command out through TaskCommands and updates the rows.
class TaskViewCommands : public QObject
{
    Q_OBJECT

public:
    TaskViewCommands(TaskListView& view, MainContext& context, QWidget* window);

    void newTask();
    void editTask();
    void properties();
    void deleteTasks();
    void deleteAll();
    void copyTasks();
    void renameTask();
    // Opens the selected task's log window, or brings it to the front when it is open. The
    // window is not modal: several tasks' logs may be open while the main window is used.
    void viewLog();
    // The same for the task with this id (a click on a notification); nothing when it is gone.
    void viewLogOf(const std::string& taskId);
    // Checks the latest recorded backup of the selected task against its manifest (as
    // kelvanto-cli verify does) off the user-interface thread, and shows the result.
    void verifyBackup();
    void saveAs();
    void loadFrom();
    void start();
    void stop();
    void runImmediately();
    void startAll();
    void stopAll();
    void selectAll();

private:
    // The first selected task; nullopt, after the warning that asks for one, when none is.
    std::optional<Task> firstSelectedTask();
    void openLog(const Task& task);

    TaskListView& m_view;
    MainContext& m_context;
    QWidget* m_window;
    // The open log windows by task id (a closed window is deleted and its entry turns null).
    std::map<std::string, QPointer<TaskLogDialog>> m_logWindows;
};

} // namespace kelvanto
