#pragma once

#include "mysql/Connection.h"
#include "ui/TaskDialogContext.h"

namespace kelvanto
{

class Application;
class FileDialogs;
class HelpOpener;
class Messages;
class TaskCommands;
class TaskDialogs;
class TaskNotices;

// What the main window and its dialogs work with: the program (its data and the task list's
// commands) and the desktop services, each behind an interface that tests replace.
struct MainContext
{
    Application& app;
    TaskCommands& commands;
    Messages& messages;
    HelpOpener& help;
    FileDialogs& fileDialogs;
    TaskDialogs& taskDialogs;
    Connector connector;
    // The runner's notices, for the progress of running tasks; may be null.
    const TaskNotices* notices = nullptr;

    TaskDialogContext dialogContext() const { return TaskDialogContext(app, messages, help, fileDialogs, connector); }
};

} // namespace kelvanto
