#pragma once

#include "app/TaskChecks.h"

#include "model/Task.h"

#include <QCoreApplication>
#include <QString>

#include <string>

namespace kelvanto::wizard
{

// The task wizard's and the property sheet's own texts, byte for byte as users know them.
// Texts that other windows share (the task name, the connection test) are in ui/UiTexts.h,
// the server address checks in model/ServerProfileCheck.h and the schedule dialogs' checks in
// schedule/ScheduleValidation.h.

// The texts below are marked for translation in the context "kelvanto::wizard"; tr() gives one
// in the user's language (English while no translation is installed).
inline QString tr(const char* text)
{
    return QCoreApplication::translate("kelvanto::wizard", text);
}

// The long title of a task type, used on the welcome page and in captions, in the user's
// language (UTF-8); "" out of range.
std::string taskTypeTitle(TaskType type);
// A type code as the sheets take it: out of 1-8 it is 1.
TaskType normalizedTaskType(int code);
// The number of steps of the type's wizard (the welcome page not counted): 5 for the script and
// the restore-from-files types, 6 for the others.
int stepCount(TaskType type);
// "Task Wizard - " + title + " - Step n of N", in the user's language (UTF-8).
std::string stepCaption(TaskType type, int step);
// "Edit Task - NAME - TITLE" and "Task Properties - NAME - TITLE".
QString editCaption(const std::string& name, TaskType type);
QString propertiesCaption(const std::string& name, TaskType type);
// The manual page of a task type: "::/taskwizard/tasktype%d.html".
std::string taskTypeHelpTopic(TaskType type);

inline constexpr const char* kWelcomeCaption = QT_TRANSLATE_NOOP("kelvanto::wizard", "Welcome to the Task Wizard");
inline constexpr const char* kWelcomeText = QT_TRANSLATE_NOOP("kelvanto::wizard", "Create a new task to schedule ");
inline constexpr const char* kNewTaskCaption = QT_TRANSLATE_NOOP("kelvanto::wizard", "Create a new task");
inline constexpr const char* kChooseTaskType = QT_TRANSLATE_NOOP("kelvanto::wizard", "Please choose a task type.");

// Help topics of the pages and dialogs.
inline constexpr const char* kChooseTaskTypeTopic = "::/taskwizard/choosetasktype.html";
inline constexpr const char* kBackupFileSettingsTopic = "::/taskwizard/backupfilesettings.html";
inline constexpr const char* kBackupSettingsTopic = "::/taskwizard/backupsettings.html";
inline constexpr const char* kHowToConnectTopic = "::/howtoconnect.html";

// Server pages.
inline constexpr const char* kSourceServerTitle = QT_TRANSLATE_NOOP("kelvanto::wizard", "Source MySQL Server");
inline constexpr const char* kDestinationServerTitle
    = QT_TRANSLATE_NOOP("kelvanto::wizard", "Destination MySQL Server");
inline constexpr const char* kSameServer = QT_TRANSLATE_NOOP(
    "kelvanto::wizard", "Please ensure that the destination server different from the source server.");

// Databases and tables.
inline constexpr const char* kRefreshDatabasesQuestion = QT_TRANSLATE_NOOP(
    "kelvanto::wizard", "Do you want to refresh the databases and tables on the source MySQL server now?");
inline constexpr const char* kChooseStructureOrRecords
    = QT_TRANSLATE_NOOP("kelvanto::wizard", "Please choose the table structure or records.");
inline constexpr const char* kChooseDatabasesOrTables
    = QT_TRANSLATE_NOOP("kelvanto::wizard", "Please choose the source databases or tables.");
inline constexpr const char* kNoDatabasesQuestion = QT_TRANSLATE_NOOP("kelvanto::wizard",
    "You did not choose any databases.\nDo you want to backup all newly-created databases on the server?");
inline constexpr const char* kChooseSourceDatabase
    = QT_TRANSLATE_NOOP("kelvanto::wizard", "Please choose a source database.");
inline constexpr const char* kDatabaseNameEmpty = QT_TRANSLATE_NOOP("kelvanto::wizard", "The database name is empty!");
inline constexpr const char* kRefreshTablesQuestion
    = QT_TRANSLATE_NOOP("kelvanto::wizard", "Do you want to refresh the tables of the source database now?");
inline constexpr const char* kChooseSourceTables
    = QT_TRANSLATE_NOOP("kelvanto::wizard", "Please choose the source tables.");
inline constexpr const char* kNoTablesQuestion = QT_TRANSLATE_NOOP("kelvanto::wizard",
    "You did not choose any tables.\nDo you want to backup all newly-created tables in the source database?");
inline constexpr const char* kChooseExistingDestination
    = QT_TRANSLATE_NOOP("kelvanto::wizard", "Please choose a destination database.");
inline constexpr const char* kChooseDestination
    = QT_TRANSLATE_NOOP("kelvanto::wizard", "Please choose the destination database.");
using kelvanto::kBadDatabaseName;
using kelvanto::kInputNewDatabase;
inline constexpr const char* kSameDatabase = QT_TRANSLATE_NOOP(
    "kelvanto::wizard", "Please ensure that the destination database different from the source database.");

// Backup file page and its settings dialog.
inline constexpr const char* kInputFilePath
    = QT_TRANSLATE_NOOP("kelvanto::wizard", "Please input the path and name of the file.");
using kelvanto::kInvalidFile;
inline constexpr const char* kChooseFolder = QT_TRANSLATE_NOOP("kelvanto::wizard", "Please choose a folder.");
// The second line of "Invalid folder!" and "Invalid directory!": what is wrong with it.
inline constexpr const char* kFolderNotAbsolute
    = QT_TRANSLATE_NOOP("kelvanto::wizard", "It is not a full path: it must start with \"/\" and hold no \"..\".");
inline constexpr const char* kFolderNotAFolder
    = QT_TRANSLATE_NOOP("kelvanto::wizard", "It is not a folder: a file of that name exists.");
inline constexpr const char* kFolderNotWritable
    = QT_TRANSLATE_NOOP("kelvanto::wizard", "It is not writable: you may not create files in it.");
inline constexpr const char* kFolderMissing
    = QT_TRANSLATE_NOOP("kelvanto::wizard", "It does not exist, nor does the folder that would hold it.");
inline constexpr const char* kFolderCannotBeMade = QT_TRANSLATE_NOOP(
    "kelvanto::wizard", "It does not exist and cannot be made: the folder that would hold it is not writable.");
using kelvanto::kInvalidFolder;
inline constexpr const char* kBackupFolderPrompt
    = QT_TRANSLATE_NOOP("kelvanto::wizard", "Select a folder where you want to store the backup files:");
inline constexpr const char* kSqlFilesFilter = QT_TRANSLATE_NOOP("kelvanto::wizard", "SQL Files(*.sql)");
inline constexpr const char* kRestoreFilesFilter
    = QT_TRANSLATE_NOOP("kelvanto::wizard", "SQL Files(*.sql *.sql.zst *.sql.gz)");
inline constexpr const char* kPhpFilesFilter = QT_TRANSLATE_NOOP("kelvanto::wizard", "PHP Files(*.php)");
using kelvanto::kBadCopies;
using kelvanto::kBadFormatCharacters;
using kelvanto::kBadKeepingDays;
using kelvanto::kInputFormat;
using kelvanto::kMaxKeepLimit;
using kelvanto::kNeedDatabaseForSeveral;
using kelvanto::kNeedDatabaseInFormat;
using kelvanto::kNeedTableInFormat;
using kelvanto::kNoDatabaseInFormat;
using kelvanto::kNoTableInFormat;

// Export pages.
inline constexpr const char* kAddExportTables = QT_TRANSLATE_NOOP("kelvanto::wizard", "Please add the export tables.");
inline constexpr const char* kChooseDatabases = QT_TRANSLATE_NOOP("kelvanto::wizard", "Please choose the databases.");
inline constexpr const char* kChooseDirectory = QT_TRANSLATE_NOOP("kelvanto::wizard", "Please choose the directory.");
using kelvanto::kInvalidDirectory;
inline constexpr const char* kExportFolderPrompt
    = QT_TRANSLATE_NOOP("kelvanto::wizard", "Please select a folder where you want to store the files:");
inline constexpr const char* kChooseFileType = QT_TRANSLATE_NOOP("kelvanto::wizard", "Please choose the file type.");

// Script page.
inline constexpr const char* kInputScript = QT_TRANSLATE_NOOP("kelvanto::wizard", "Please input the SQL script.");
inline constexpr const char* kFailedToOpenFile = QT_TRANSLATE_NOOP("kelvanto::wizard", "Failed to open the file!");

// Restore files page.
inline constexpr const char* kRemoveFilesQuestion
    = QT_TRANSLATE_NOOP("kelvanto::wizard", "Do you want to remove the file item(s) in the list?");
inline constexpr const char* kRemoveAllFilesQuestion
    = QT_TRANSLATE_NOOP("kelvanto::wizard", "Do you want to remove all file items in the list?");
inline constexpr const char* kChooseFileItem = QT_TRANSLATE_NOOP("kelvanto::wizard", "Please choose a file item.");
inline constexpr const char* kAddFiles = QT_TRANSLATE_NOOP("kelvanto::wizard", "Please add the files.");
inline constexpr const char* kDropDeleteQuestion = QT_TRANSLATE_NOOP("kelvanto::wizard",
    "If there are some DROP and DELETE statements in these SQL files, some old databases and tables on the "
    "destination server will be deleted during the task running.\n\nDo you want to continue?");

// Schedule page.
inline constexpr const char* kSetTimeInterval
    = QT_TRANSLATE_NOOP("kelvanto::wizard", "Please set the Time Interval Settings.");
inline constexpr const char* kSetEveryDay = QT_TRANSLATE_NOOP("kelvanto::wizard", "Please set the Every Day Settings.");
inline constexpr const char* kSetEveryWeek
    = QT_TRANSLATE_NOOP("kelvanto::wizard", "Please set the Every Week Settings.");
inline constexpr const char* kSetEveryMonth
    = QT_TRANSLATE_NOOP("kelvanto::wizard", "Please set the Every Month Settings.");
inline constexpr const char* kSetSpecialDate
    = QT_TRANSLATE_NOOP("kelvanto::wizard", "Please set the Special Date Settings.");
inline constexpr const char* kChooseSchedule
    = QT_TRANSLATE_NOOP("kelvanto::wizard", "Please choose task schedule options.");

// Summary page.
inline constexpr const char* kTaskInformation = QT_TRANSLATE_NOOP("kelvanto::wizard", "Task Information:");
inline constexpr const char* kClickFinish = QT_TRANSLATE_NOOP("kelvanto::wizard",
    "Click Finish to create a new task, or click Back if you want to review or change any settings.");

} // namespace kelvanto::wizard
