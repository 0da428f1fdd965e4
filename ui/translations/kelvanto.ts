<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" sourcelanguage="en">
<context>
    <name>kelvanto::AboutDialog</name>
    <message>
        <source>About</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The user manual</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Getting help</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Manual:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Support:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>O&amp;K</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Version %1, built with Qt %2</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kelvanto::AdvancedSettingsDialog</name>
    <message>
        <source>Advanced Settings</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Server</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Statements</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Lock tables before starting</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Flush tables before starting</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Flush MySQL log files before starting</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Quote names within &apos;`&apos; characters</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Set connection character set</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Add CREATE DATABASE statement</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Add LOCK TABLES statement</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Add DROP TABLE statement</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Add DELETE all records statement</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Add SET NAMES default_character_set</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Use complete INSERT statements</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Use INSERT DELAYED statements</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Use multiple-row INSERT syntax</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Use REPLACE instead of INSERT statements</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Use INSERT IGNORE statements</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Add SET AUTOCOMMIT (InnoDB)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Add SET FOREIGN_KEY_CHECKS (InnoDB)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Add SET UNIQUE_CHECKS (InnoDB)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Add SET SQL_NOTES</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Allow creation of column names that are keywords</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Surround the INSERT statements with ALTER TABLE table_name DISABLE KEYS</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kelvanto::AutostartQuestionDialog</name>
    <message>
        <source>Don&apos;t ask me again</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Yes</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;No</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kelvanto::BackupFilesPage</name>
    <message>
        <source>SQL File</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>PHP File</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Backup data to the new file(s) every time</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Browse...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Settings...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Always backup data to the same file</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Use the &apos;\n&apos; instead of &apos;\r\n&apos; in the backup files</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>None</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>zstd (.zst)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>gzip (.gz)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>File type</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Backup files</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Compress the SQL files:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Backup Files</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kelvanto::BackupFilesSettingsDialog</name>
    <message>
        <source>One file contains all selected databases and tables</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Each file contains a selected database</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Each file contains a selected table</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Create a new folder and named it after DATE_TIME every time for storing the backup files</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Auto delete the backup files if they are more than</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Auto delete the oldest backup files when more than</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Backup Files Settings</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Backup files</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>File name format</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>days old</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>backup copies</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Reset to default</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Placeholders: %TASKNAME% %HOST% %DATABASE% %TABLE% %DATE% %TIME%</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kelvanto::BackupFilesViewPage</name>
    <message>
        <source>Backup Files</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>File type</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Backup files</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kelvanto::BackupLogOptionsPage</name>
    <message>
        <source>Unlimited size of each task log file</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Maximum size of each task log file</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The old task logs will be deleted if the size of a task log file more than the maximum size.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Browse...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Backup</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The default folder where you want to store the backup files</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Task Log</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>KB</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Reset to default</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Select a folder where you want to store the backup files:</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kelvanto::BackupOptionsBox</name>
    <message>
        <source>Structure</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Records</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Backup all newly-created tables of all chosen databases</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Backup all newly-created tables of the source database</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Backup all newly-created databases on the MySQL server</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Advanced Settings...</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kelvanto::ChooseDatabasesPage</name>
    <message>
        <source>&amp;Refresh</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Databases and Tables</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kelvanto::ChooseDatabasesViewPage</name>
    <message>
        <source>Databases and Tables</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kelvanto::ChooseTablesPage</name>
    <message>
        <source>&amp;Refresh</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Select &amp;All</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Deselect All</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Invert</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Source Tables</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kelvanto::ChooseTablesViewPage</name>
    <message>
        <source>Source Tables</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kelvanto::ConnectionFailureDialog</name>
    <message>
        <source>O&amp;K</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;How to connect to a MySQL server</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kelvanto::DBusNotifier</name>
    <message>
        <source>Open the task&apos;s log</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kelvanto::DayChecksBox</name>
    <message>
        <source>Select All</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Deselect All</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Invert</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kelvanto::DesktopHelpOpener</name>
    <message>
        <source>The user manual cannot be found. It is installed with the program in share/kelvanto/manual.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No program on this desktop opens the link %1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kelvanto::DestinationDatabasePage</name>
    <message>
        <source>Choose an existent database</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Create a new database</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Destination Database</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kelvanto::EveryDayDialog</name>
    <message>
        <source>Every Day Settings</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kelvanto::EveryMonthDialog</name>
    <message>
        <source>Every Month Settings</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Days of the month</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kelvanto::EveryWeekDialog</name>
    <message>
        <source>Every Week Settings</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sunday</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Monday</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Tuesday</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Wednesday</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Thursday</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Friday</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Saturday</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Days of the week</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kelvanto::ExportFilesPage</name>
    <message>
        <source>Add Column Names On Top</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Browse...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>File Type</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Directory</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>File name</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Fields Terminated By</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Fields Enclosed By</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Fields Escaped By</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Lines Terminated By</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Export Files</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Read every table in one consistent snapshot</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Tablename</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kelvanto::ExportFilesViewPage</name>
    <message>
        <source>Export Files</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>File Type</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Directory</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Fields Terminated By</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Fields Enclosed By</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Fields Escaped By</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Lines Terminated By</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Add Column Names On Top</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Read every table in one consistent snapshot</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kelvanto::FailureCommandField</name>
    <message>
        <source>No command</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>A run that failed or completed with errors starts this command: the program (looked up in PATH) and its arguments, quoted as in a shell but started without one. Its environment adds KELVANTO_TASK (the task&apos;s name), KELVANTO_OUTCOME (failed or completed-with-errors), KELVANTO_FIRST_ERROR (the run&apos;s first error line) and KELVANTO_LOG (the run&apos;s log, its last 32 KiB). It may run for 60 seconds; the task&apos;s log says how it ended.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>After a run that did not succeed, r&amp;un:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Started without a shell, with KELVANTO_TASK, KELVANTO_OUTCOME, KELVANTO_FIRST_ERROR and KELVANTO_LOG in its environment.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kelvanto::GeneralOptionsPage</name>
    <message>
        <source>Start the program when you log in</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Disable shutdown/log off/suspend when a task running</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Software Login Protection</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Username</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Password</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Hot Key</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Date Format (for display)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Time Format (for display)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Reset to default</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sat, Jan 1, 2005</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sat, 1 Jan, 2005</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sat, yyyy-mm-dd</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>20:20:20</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>08:20:20 P.M</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Failed runs only</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Every run</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Never</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Desktop &amp;notifications:</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kelvanto::HelpWindow</name>
    <message>
        <source>Kelvanto Help</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Find in page</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Navigation</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Back</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Forward</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Contents</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Not found</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kelvanto::LoginDialog</name>
    <message>
        <source>Username</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Password</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>O&amp;K</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kelvanto::MainActions</name>
    <message>
        <source>&amp;New Task...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Edit Task...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Delete Task(s)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Delete All</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Copy Task(s)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Copy Task(s)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Rena&amp;me Task</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>View &amp;Log...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Verify Backup</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Save &amp;As...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Load &amp;From...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Properties</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>E&amp;xit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Start</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>S&amp;top</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Run Immediately</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Start All</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Stop All</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Select All</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;MySQL Servers...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Options...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Lar&amp;ge Icons</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Details</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Small Icons</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;List</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;User Manual</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ti&amp;p of the Day</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Web Site</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Support &amp;Page</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Support &amp;E-mail</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;About...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Task</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Run</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Too&amp;ls</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;View</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Toolbar</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>View</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kelvanto::NewTaskDialog</name>
    <message>
        <source>Task type</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Backup MySQL databases to SQL or PHP files</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Backup MySQL databases to the other server</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Backup a MySQL database to the other database</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Restore MySQL databases from SQL files (TCP/IP, Use SAME database names)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Restore MySQL databases from the other server (TCP/IP, Use SAME database names)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Restore a MySQL database from the other database (TCP/IP, Choose ANY database name)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Export MySQL tables and views to CSV/XML/HTML/TEXT files (TCP/IP protocol)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Execute MySQL script (TCP/IP protocol)</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kelvanto::OptionsDialog</name>
    <message>
        <source>Options</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>General</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Backup and Log</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>OK</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Help</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kelvanto::RenameTaskDialog</name>
    <message>
        <source>Rename Task</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Task Name</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>O&amp;K</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kelvanto::RestoreFilesPage</name>
    <message>
        <source>Continue even if a SQL error occurs during restoring</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Continue even if a FILE error occurs during restoring</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Add...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Remove</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Remove A&amp;ll</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Move &amp;Up</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Move &amp;Down</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Restore Files</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kelvanto::RestoreFilesViewPage</name>
    <message>
        <source>Continue even if a SQL error occurs during restoring</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Continue even if a FILE error occurs during restoring</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Restore Files</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kelvanto::RestoreThreadsField</name>
    <message>
        <source>The files of one backup with a file per table or per database, listed by its manifest, are restored over this many connections; other files over one.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Restore a backup of a file per table or database over &amp;connections:</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kelvanto::RunNotifications</name>
    <message>
        <source>%1 succeeded</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 completed with errors (%2)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 was cancelled</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 failed</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kelvanto::RunTimeDialog</name>
    <message>
        <source>Run Time</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Hour</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Minute</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kelvanto::SchedulePage</name>
    <message>
        <source>Task schedule</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Settings...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Task Schedule</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Manual</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Time Interval</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Every Day</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Every Week</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Every Month</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Special Date</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kelvanto::ScheduleViewPage</name>
    <message>
        <source>Task schedule</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Settings</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Task Schedule</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No command</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>After a run that did not succeed, run</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kelvanto::SelectTablesPage</name>
    <message>
        <source>&amp;Refresh</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Source database</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Export Tables</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kelvanto::SelectTablesViewPage</name>
    <message>
        <source>Export Tables</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kelvanto::ServerFieldsBox</name>
    <message>
        <source>New...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Use compression protocol</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Use SSL protocol</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Test connection</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>How to connect to a MySQL server</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Connections</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Host name or IP address</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>MySQL Host Port</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Username</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Password</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kelvanto::ServerManagerDialog</name>
    <message>
        <source>MySQL Servers</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Server</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Add Server...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Edit Server...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Delete Server</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;View Server...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Move &amp;Up</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Move Dow&amp;n</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Close</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Connection Name</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Server</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Port</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Username</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Password</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Comment</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>NULL</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kelvanto::ServerProfileDialog</name>
    <message>
        <source>Save password</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Use compression protocol</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Use SSL protocol</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Test connection</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>MySQL Server</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Connection Name</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Host name or IP address</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>MySQL Host Port</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Username</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Password</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Comment</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>O&amp;K</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kelvanto::ServerViewPage</name>
    <message>
        <source>Server</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Host name or IP address</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>MySQL Host Port</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Username</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Password</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Database</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Options</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Create a new database</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Choose an existent database</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kelvanto::ShutdownInhibitor</name>
    <message>
        <source>A scheduled task is running</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kelvanto::SourceDatabasePage</name>
    <message>
        <source>Source database</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Source Database</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kelvanto::SpecialDateDialog</name>
    <message>
        <source>Special Date Settings</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Run the task every</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>day(s)</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kelvanto::SplashScreen</name>
    <message>
        <source>Scheduled backups and maintenance for MySQL and MariaDB</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kelvanto::SqlScriptPage</name>
    <message>
        <source>Add the script from a SQL file</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>SQL Script</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kelvanto::SqlScriptViewPage</name>
    <message>
        <source>SQL Script</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kelvanto::SummaryPage</name>
    <message>
        <source>Task Summary</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kelvanto::TaskExtrasBox</name>
    <message>
        <source>Read every table in one consistent snapshot</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Stored procedures and functions</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Triggers</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Events</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Keep as the server reports it</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Leave out</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>DEFINER of views and stored objects:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Consistency, stored objects and statement size</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Verify each backup by restoring it into:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source> KiB</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ten rows per statement</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>With multiple-row INSERT syntax: every row that fits in a statement of this size. The server that restores the files needs a max_allowed_packet at least as large; a copy never sends more than its destination takes.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>After each backup its files are restored into this server under their own database names, compared with what was written, and dropped again. It must not be the source server, and it must not hold databases of those names.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Largest INSERT statement:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Off</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kelvanto::TaskListModel</name>
    <message>
        <source>The run was cut off before its end</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Task Name</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Status</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Last Run</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Next Run</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Task Type</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Schedule</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Last Result</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Does not run: its extra settings cannot be read (%1)</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kelvanto::TaskLogDialog</name>
    <message>
        <source>SN</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Date &amp; Time</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Information</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Log</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Display All</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Refresh</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Empty logs</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Close</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Export</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Export to &amp;CSV file...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Export to &amp;LOG file...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Export to &amp;TXT file...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Task Log - %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The task log could not be written to %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Task Log files(*.csv)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Task Log files(*.log)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Task Log files(*.txt)</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kelvanto::TaskNamePage</name>
    <message>
        <source>Task name</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Comment</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Task Name and Comment</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kelvanto::TimeIntervalDialog</name>
    <message>
        <source>Time Interval Settings</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Run the task every</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>minute(s)</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kelvanto::TipOfTheDayDialog</name>
    <message>
        <source>&amp;Show tips on start up</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Tip of the Day</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>
Did you know...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Previous Tip</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Next Tip</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Close</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>
Welcome to %1! It runs your MySQL and MariaDB backups, copies, exports, scripts and restores on a schedule, and keeps a log of every run. The user manual is installed with it: menu &quot;Help&quot;-&gt;&quot;User Manual&quot; explains every window, and &quot;Help&quot;-&gt;&quot;Support Page&quot; says where to get help.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>
To Add/Edit/Delete a MySQL server information you should choose menu &quot;Tools&quot;-&gt;&quot;MySQL Servers...&quot;.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>
To protect your settings about the tasks you should set username and password at Options dialog from menu &quot;Tools&quot;-&gt;&quot;Options...&quot;.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>
To get more detailed information about a task you may double click the task item.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>
To start all tasks you should choose menu &quot;Run&quot;-&gt;&quot;Start All&quot;.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>
To stop all tasks you should choose menu &quot;Run&quot;-&gt;&quot;Stop All&quot;.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>
You can set date and time format at Options dialog from menu &quot;Tools&quot;-&gt;&quot;Options...&quot;.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>
To rename a task you should press &quot;F2&quot; on keyboard.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>
To restore MySQL databases you should create a scheduled task of Restore.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Tip %1 of %2</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kelvanto::TrayIcon</name>
    <message>
        <source>Sho&amp;w</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Options...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;User Manual</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>E&amp;xit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The last run of a task failed</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kelvanto::texts</name>
    <message>
        <source>Kelvanto</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Kelvanto Standard Edition</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Login - Kelvanto Standard Edition</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Do you want to start the program when you log in?

If No, you can set the option at the menu Tools-&gt;Options later.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Failed to initialize Task Server!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The options could not be saved:
%1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Quit the application and stop all tasks?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Please choose a task item.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Please choose a task.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The task has no recorded backup to verify.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The latest backup is verified: every file holds.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The latest backup did not pass its verification.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Please STOP the task first, and then EDIT it.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Do you want to DELETE the task(s) now?

The task(s) will be stopped.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Do you want to DELETE ALL tasks now?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Do you want to create %1 task copies?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The task name already exists!
Please choose a different task name.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Successfully saved the task list to a task file!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Failed to save the task list to a task file!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Do you want to LOAD a new task list from the task file?

The current task list will be overwrote.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Successfully loaded the task list from the file!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Failed to load the task list from the file!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Do you want to START ALL scheduled tasks now?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Do you want to STOP ALL tasks now?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Tasks files(*.tsk)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>There are not any task logs!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Do you want to EMPTY ALL logs of the task?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Please choose a server item.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Are you sure you wish to DELETE the server information now?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Successfully connected to the MySQL server!

MySQL version: </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Please input the maximum size between 1 and 100000.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Kelvanto cannot start: %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Do you want to RUN the task (%1) immediately?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Do you want to STOP the task (%1 -- Running) now?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Failed to connect to the MySQL server!

Error NO. %1
%2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The task list could not be saved:
%1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The server list could not be saved:
%1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kelvanto::wizard</name>
    <message>
        <source>Welcome to the Task Wizard</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Create a new task to schedule </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Create a new task</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Please choose a task type.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Source MySQL Server</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Destination MySQL Server</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Please ensure that the destination server different from the source server.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Do you want to refresh the databases and tables on the source MySQL server now?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Please choose the table structure or records.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Please choose the source databases or tables.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>You did not choose any databases.
Do you want to backup all newly-created databases on the server?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Please choose a source database.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The database name is empty!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Do you want to refresh the tables of the source database now?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Please choose the source tables.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>You did not choose any tables.
Do you want to backup all newly-created tables in the source database?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Please choose a destination database.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Please choose the destination database.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Please ensure that the destination database different from the source database.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Please input the path and name of the file.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Please choose a folder.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>It is not a full path: it must start with &quot;/&quot; and hold no &quot;..&quot;.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>It is not a folder: a file of that name exists.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>It is not writable: you may not create files in it.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>It does not exist, nor does the folder that would hold it.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>It does not exist and cannot be made: the folder that would hold it is not writable.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Select a folder where you want to store the backup files:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>SQL Files(*.sql)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>SQL Files(*.sql *.sql.zst *.sql.gz)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>PHP Files(*.php)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Please add the export tables.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Please choose the databases.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Please choose the directory.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Please select a folder where you want to store the files:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Please choose the file type.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Please input the SQL script.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Failed to open the file!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Do you want to remove the file item(s) in the list?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Do you want to remove all file items in the list?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Please choose a file item.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Please add the files.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>If there are some DROP and DELETE statements in these SQL files, some old databases and tables on the destination server will be deleted during the task running.

Do you want to continue?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Please set the Time Interval Settings.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Please set the Every Day Settings.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Please set the Every Week Settings.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Please set the Every Month Settings.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Please set the Special Date Settings.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Please choose task schedule options.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Task Information:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Click Finish to create a new task, or click Back if you want to review or change any settings.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The command has a quote that is not closed. Please close it, or put a backslash before a quote that is meant as a character.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The command must start with the program to run.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Use compression protocol</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Use SSL protocol</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>None</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 (View)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 (Table)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>PHP File</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>SQL File</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Always backup data to the same file</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Backup data to the new file(s) every time</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Backup to file:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Backup to folder:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>One file contains all selected databases and tables</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Each file contains a selected database</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Each file contains a selected table</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>File Name Format:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Create a new folder and named it after DATE_TIME every time for storing the backup files</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Auto delete the backup files if they are more than %1 days old</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Auto delete the oldest backup files when more than %1 backup copies</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Use the &apos;\n&apos; instead of &apos;\r\n&apos; in the backup files</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>CSV File  (Table Export)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>XML File  (Table Export)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>HTML File  (Table Export)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>TEXT File  (Table Export)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 KB</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>SN</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>File Name</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Full Path</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>File Size</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Date &amp; Time</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Backup MySQL databases to SQL/PHP files</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Backup MySQL databases to the other server</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Backup one MySQL database to the other database</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Export MySQL tables and views to CSV/XML/HTML/TEXT files</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Execute MySQL script</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Restore MySQL databases from SQL files</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Restore MySQL databases from the other server</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Restore one MySQL database from the other database</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Task Wizard - %1 - Step %2 of %3</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Edit Task - %1 - %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Task Properties - %1 - %2</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
