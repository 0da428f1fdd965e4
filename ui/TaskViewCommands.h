#pragma once

#include "model/Task.h"

#include <QObject>

#include <optional>

class QWidget;

namespace kelvanto
{

class CVelmTasksView;
struct MainContext;

// The task list's commands as the main window offers them: each asks its questions through
// the message interface, carries the command out through TaskCommands and updates the rows.
class TaskViewCommands : public QObject
{
    Q_OBJECT

public:
    TaskViewCommands(CVelmTasksView& view, MainContext& context, QWidget* window);

    void NewTask();
    void EditTask();
    void Properties();
    void DeleteTasks();
    void DeleteAll();
    void CopyTasks();
    void RenameTask();
    void ViewLog();
    // Checks the latest recorded backup of the selected task against its manifest (as
    // kelvanto-cli verify does) off the user-interface thread, and shows the result.
    void VerifyBackup();
    void SaveAs();
    void LoadFrom();
    void Start();
    void Stop();
    void RunImmediately();
    void StartAll();
    void StopAll();
    void SelectAll();

private:
    // The first selected task; nullopt, after the warning that asks for one, when none is.
    std::optional<Task> FirstSelectedTask();

    CVelmTasksView& m_view;
    MainContext& m_context;
    QWidget* m_window;
};

} // namespace kelvanto
