#pragma once

#include "app/TaskChecks.h"
#include "model/Version.h"

#include <QCoreApplication>

#include <QString>

#include <string>

namespace kelvanto::texts
{

// The program's own texts: captions, questions and messages, byte for byte as users know them.
// Each is marked for translation in the context "kelvanto::texts"; tr() gives it in the
// user's language (English while no translation is installed).

inline QString tr(const char* text)
{
    return QCoreApplication::translate("kelvanto::texts", text);
}

inline constexpr const char* kCaption = QT_TRANSLATE_NOOP("kelvanto::texts", "Kelvanto");
inline constexpr const char* kMainTitle = QT_TRANSLATE_NOOP("kelvanto::texts", "Kelvanto Standard Edition");
inline constexpr const char* kLoginTitle = QT_TRANSLATE_NOOP("kelvanto::texts", "Login - Kelvanto Standard Edition");

// "Kelvanto Standard Edition 1.2": the main title and the short version.
QString productLine();

// Start-up and quit.
inline constexpr const char* kAutoRunQuestion = QT_TRANSLATE_NOOP("kelvanto::texts",
    "Do you want to start the program when you log in?\n\nIf No, you can set the option at "
    "the menu Tools->Options later.");
inline constexpr const char* kTaskServerFailed
    = QT_TRANSLATE_NOOP("kelvanto::texts", "Failed to initialize Task Server!");
inline constexpr const char* kOptionsSaveFailed
    = QT_TRANSLATE_NOOP("kelvanto::texts", "The options could not be saved:\n%1");
inline constexpr const char* kTaskListSaveFailed
    = QT_TRANSLATE_NOOP("kelvanto::texts", "The task list could not be saved:\n%1");
inline constexpr const char* kServerListSaveFailed
    = QT_TRANSLATE_NOOP("kelvanto::texts", "The server list could not be saved:\n%1");
inline constexpr const char* kQuitQuestion
    = QT_TRANSLATE_NOOP("kelvanto::texts", "Quit the application and stop all tasks?");

// The task list commands.
inline constexpr const char* kChooseTaskItem = QT_TRANSLATE_NOOP("kelvanto::texts", "Please choose a task item.");
inline constexpr const char* kChooseTask = QT_TRANSLATE_NOOP("kelvanto::texts", "Please choose a task.");
inline constexpr const char* kNoBackupToVerify
    = QT_TRANSLATE_NOOP("kelvanto::texts", "The task has no recorded backup to verify.");
inline constexpr const char* kBackupVerified
    = QT_TRANSLATE_NOOP("kelvanto::texts", "The latest backup is verified: every file holds.");
inline constexpr const char* kBackupNotVerified
    = QT_TRANSLATE_NOOP("kelvanto::texts", "The latest backup did not pass its verification.");
inline constexpr const char* kStopFirst
    = QT_TRANSLATE_NOOP("kelvanto::texts", "Please STOP the task first, and then EDIT it.");
inline constexpr const char* kDeleteQuestion
    = QT_TRANSLATE_NOOP("kelvanto::texts", "Do you want to DELETE the task(s) now?\n\nThe task(s) will be stopped.");
inline constexpr const char* kDeleteAllQuestion
    = QT_TRANSLATE_NOOP("kelvanto::texts", "Do you want to DELETE ALL tasks now?");
inline constexpr const char* kCopyQuestion
    = QT_TRANSLATE_NOOP("kelvanto::texts", "Do you want to create %1 task copies?");
using kelvanto::kNameMissing;
inline constexpr const char* kNameTaken
    = QT_TRANSLATE_NOOP("kelvanto::texts", "The task name already exists!\nPlease choose a different task name.");
inline constexpr const char* kSaveAsDone
    = QT_TRANSLATE_NOOP("kelvanto::texts", "Successfully saved the task list to a task file!");
inline constexpr const char* kSaveAsFailed
    = QT_TRANSLATE_NOOP("kelvanto::texts", "Failed to save the task list to a task file!");
inline constexpr const char* kLoadQuestion = QT_TRANSLATE_NOOP("kelvanto::texts",
    "Do you want to LOAD a new task list from the task file?\n\nThe current task list will be overwrote.");
inline constexpr const char* kLoadDone
    = QT_TRANSLATE_NOOP("kelvanto::texts", "Successfully loaded the task list from the file!");
inline constexpr const char* kLoadFailed
    = QT_TRANSLATE_NOOP("kelvanto::texts", "Failed to load the task list from the file!");
inline constexpr const char* kStartAllQuestion
    = QT_TRANSLATE_NOOP("kelvanto::texts", "Do you want to START ALL scheduled tasks now?");
inline constexpr const char* kStopAllQuestion
    = QT_TRANSLATE_NOOP("kelvanto::texts", "Do you want to STOP ALL tasks now?");
inline constexpr const char* kTaskFilesFilter = QT_TRANSLATE_NOOP("kelvanto::texts", "Tasks files(*.tsk)");

// "Do you want to RUN the task (NAME) immediately?"
QString runQuestion(const std::string& taskName);
// "Do you want to STOP the task (NAME -- Running) now?"
QString stopRunningQuestion(const std::string& taskName);

// The task log window.
inline constexpr const char* kNoTaskLogs = QT_TRANSLATE_NOOP("kelvanto::texts", "There are not any task logs!");
inline constexpr const char* kEmptyLogsQuestion
    = QT_TRANSLATE_NOOP("kelvanto::texts", "Do you want to EMPTY ALL logs of the task?");

// The server manager and the profile dialog.
inline constexpr const char* kChooseServerItem = QT_TRANSLATE_NOOP("kelvanto::texts", "Please choose a server item.");
inline constexpr const char* kDeleteServerQuestion
    = QT_TRANSLATE_NOOP("kelvanto::texts", "Are you sure you wish to DELETE the server information now?");
inline constexpr const char* kConnected
    = QT_TRANSLATE_NOOP("kelvanto::texts", "Successfully connected to the MySQL server!\n\nMySQL version: ");
// "Failed to connect to the MySQL server!\n\nError NO. %d\n%s"
QString connectFailed(unsigned number, const std::string& text);

// The options sheet.
inline constexpr const char* kLogSizeRange
    = QT_TRANSLATE_NOOP("kelvanto::texts", "Please input the maximum size between 1 and 100000.");

// Where the program itself cannot go on.
inline constexpr const char* kFolderInUse = QT_TRANSLATE_NOOP("kelvanto::texts", "Kelvanto cannot start: %1.");

} // namespace kelvanto::texts
