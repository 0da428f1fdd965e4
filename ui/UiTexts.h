#pragma once

#include "model/Version.h"

#include <QString>

#include <string>

namespace kelvanto::texts
{

// The program's own texts: captions, questions and messages, byte for byte as users know them.

inline constexpr const char* kCaption = "Kelvanto";
inline constexpr const char* kMainTitle = "Kelvanto Standard Edition";
inline constexpr const char* kProductLine = "Kelvanto Standard Edition " KELVANTO_SHORT_VERSION;
inline constexpr const char* kLoginTitle = "Login - Kelvanto Standard Edition";

// Start-up and quit.
inline constexpr const char* kAutoRunQuestion
    = "Do you want to start the program when you log in?\n\nIf No, you can set the option at "
      "the menu Tools->Options later.";
inline constexpr const char* kTaskServerFailed = "Failed to initialize Task Server!";
inline constexpr const char* kOptionsSaveFailed = "The options could not be saved:\n%1";
inline constexpr const char* kQuitQuestion = "Quit the application and stop all tasks?";

// The task list commands.
inline constexpr const char* kChooseTaskItem = "Please choose a task item.";
inline constexpr const char* kChooseTask = "Please choose a task.";
inline constexpr const char* kNoBackupToVerify = "The task has no recorded backup to verify.";
inline constexpr const char* kBackupVerified = "The latest backup is verified: every file holds.";
inline constexpr const char* kBackupNotVerified = "The latest backup did not pass its verification.";
inline constexpr const char* kStopFirst = "Please STOP the task first, and then EDIT it.";
inline constexpr const char* kDeleteQuestion = "Do you want to DELETE the task(s) now?\n\nThe task(s) will be stopped.";
inline constexpr const char* kDeleteAllQuestion = "Do you want to DELETE ALL tasks now?";
inline constexpr const char* kCopyQuestion = "Do you want to create %1 task copies?";
inline constexpr const char* kNameMissing = "Please input the task name.";
inline constexpr const char* kNameTaken = "The task name already exists!\nPlease choose a different task name.";
inline constexpr const char* kSaveAsDone = "Successfully saved the task list to a task file!";
inline constexpr const char* kSaveAsFailed = "Failed to save the task list to a task file!";
inline constexpr const char* kLoadQuestion
    = "Do you want to LOAD a new task list from the task file?\n\nThe current task list will be overwrote.";
inline constexpr const char* kLoadDone = "Successfully loaded the task list from the file!";
inline constexpr const char* kLoadFailed = "Failed to load the task list from the file!";
inline constexpr const char* kStartAllQuestion = "Do you want to START ALL scheduled tasks now?";
inline constexpr const char* kStopAllQuestion = "Do you want to STOP ALL tasks now?";
inline constexpr const char* kTaskFilesFilter = "Tasks files(*.tsk)";

// "Do you want to RUN the task (NAME) immediately?"
QString runQuestion(const std::string& taskName);
// "Do you want to STOP the task (NAME -- Running) now?"
QString stopRunningQuestion(const std::string& taskName);

// The task log window.
inline constexpr const char* kNoTaskLogs = "There are not any task logs!";
inline constexpr const char* kEmptyLogsQuestion = "Do you want to EMPTY ALL logs of the task?";

// The server manager and the profile dialog.
inline constexpr const char* kChooseServerItem = "Please choose a server item.";
inline constexpr const char* kDeleteServerQuestion = "Are you sure you wish to DELETE the server information now?";
inline constexpr const char* kConnected = "Successfully connected to the MySQL server!\n\nMySQL version: ";
// "Failed to connect to the MySQL server!\n\nError NO. %d\n%s"
QString connectFailed(unsigned number, const std::string& text);

// The options sheet.
inline constexpr const char* kLogSizeRange = "Please input the maximum size between 1 and 100000.";

// Where the program itself cannot go on.
inline constexpr const char* kFolderInUse = "Kelvanto cannot start: %1.";

} // namespace kelvanto::texts
