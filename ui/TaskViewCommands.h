#pragma once

#include <QObject>

class QWidget;

namespace kelvanto
{

class TaskListView;
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
    void viewLog();
    void saveAs();
    void loadFrom();
    void start();
    void stop();
    void runImmediately();
    void startAll();
    void stopAll();
    void selectAll();

private:
    TaskListView& m_view;
    MainContext& m_context;
    QWidget* m_window;
};

} // namespace kelvanto
