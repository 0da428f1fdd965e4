// The texts the wizard and the property sheet build without a window, byte for byte: the task
// summary of every type, the captions, the read-only page texts, and the checks of the backup
// files settings and the destination database.
#include "ui/wizard/TaskSummary.h"
#include "engines/export/TypedEscapes.h"
#include "model/TaskExtras.h"
#include "ui/wizard/DatabaseChoices.h"
#include "ui/wizard/ReadOnlyTexts.h"
#include "ui/wizard/WizardChecks.h"
#include "ui/wizard/WizardTexts.h"

#include <QtTest>

#include <cstdint>

using namespace kelvanto;
using namespace kelvanto::wizard;

Q_DECLARE_METATYPE(std::string)

namespace
{

TableItem Table(const std::string& name, std::uint8_t checkState, std::uint8_t kind = 1)
{
    TableItem table;
    table.name = name;
    table.checkState = checkState;
    table.kind = kind;
    table.database = "db";
    return table;
}

// Two databases: one with 3 of its 5 tables chosen, the other with all 4; a third not chosen.
std::vector<DatabaseItem> TwoDatabasesSevenTables()
{
    DatabaseItem shop {1, "shop", {Table("a", 2), Table("b", 0), Table("c", 2), Table("d", 2), Table("e", 0)}};
    DatabaseItem web {2, "web", {Table("p", 2), Table("q", 2), Table("r", 2), Table("s", 2, 2)}};
    DatabaseItem other {0, "other", {Table("x", 0)}};
    return {shop, web, other};
}

Task Base(TaskType type)
{
    Task task;
    task.name = "Nightly";
    task.type = type;
    task.source.host = "src.example";
    task.destination.host = "dst.example";
    task.destination.port = 3307;
    task.destination.connectionName = "Backup server";
    return task;
}

} // namespace

class TaskSummaryTest : public QObject
{
    Q_OBJECT

private slots:
    void summaryOfEveryType_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<std::string>("expected");
        const std::string head = "Task name:\r\n    Nightly\r\n\r\nTask type:\r\n    ";
        const std::string extras
            = "Consistency and stored objects:\r\n    Consistent snapshot: No\r\n    Routines: No, "
              "triggers: Yes, events: No\r\n    DEFINER: Leave out\r\n    Multi-row INSERT statements: ten rows "
              "per statement\r\n\r\n";
        const std::string snapshot = "Consistency:\r\n    Consistent snapshot: No\r\n\r\n";
        const std::string backupExtras
            = extras.substr(0, extras.size() - 2) + "    Verify by restoring into: Off\r\n\r\n";
        QTest::newRow("1 to folder") << 1
                                     << head
                + "Backup MySQL databases to SQL/PHP files\r\n\r\nSource MySQL server:\r\n    src.example:3306\r\n\r\n"
                  "Backup information:\r\n    2 database(s), 7 table(s)\r\n\r\nTo folder:\r\n    /backups/\r\n\r\n"
                + backupExtras + "Task schedule:\r\n    Every Week\r\n";
        QTest::newRow("2") << 2
                           << head
                + "Backup MySQL databases to the other server\r\n\r\nSource MySQL server:\r\n    "
                  "src.example:3306\r\n\r\n"
                  "Backup information:\r\n    2 database(s), 7 table(s)\r\n\r\nDestination MySQL server:\r\n    "
                  "dst.example:3307 (Backup server)\r\n\r\n"
                + extras + "Task schedule:\r\n    Every Week\r\n";
        QTest::newRow("3") << 3
                           << head
                + "Backup one MySQL database to the other database\r\n\r\nSource MySQL server:\r\n    "
                  "src.example:3306\r\n"
                  "\r\nBackup information:\r\n    2 database(s), 7 table(s)\r\n\r\nDestination MySQL server:\r\n    "
                  "dst.example:3307 (Backup server)\r\n\r\n"
                + extras + "Task schedule:\r\n    Every Week\r\n";
        QTest::newRow("4") << 4
                           << head
                + "Export MySQL tables and views to CSV/XML/HTML/TEXT files\r\n\r\nSource MySQL server:\r\n    "
                  "src.example:3306\r\n\r\nExport information:\r\n    2 table(s)\r\n\r\nTo file ( type and directory "
                  "):\r\n"
                  "    HTML\r\n    /exports/\r\n\r\n"
                + snapshot + "Task schedule:\r\n    Every Week\r\n";
        QTest::newRow("5") << 5
                           << head
                + "Execute MySQL script\r\n\r\nMySQL server:\r\n    src.example:3306\r\n\r\nSQL script:\r\n    3 "
                  "statement(s)\r\n\r\nTask schedule:\r\n    Every Week\r\n";
        QTest::newRow("6") << 6
                           << head
                + "Restore MySQL databases from SQL files\r\n\r\nBackup Files:\r\n    1 file(s)\r\n\r\nMySQL "
                  "server:\r\n    dst.example:3307 (Backup server)\r\n\r\nConnections:\r\n    3\r\n\r\nTask "
                  "schedule:\r\n    "
                  "Every Week\r\n";
        QTest::newRow("7") << 7
                           << head
                + "Restore MySQL databases from the other server\r\n\r\nSource MySQL server:\r\n    "
                  "src.example:3306\r\n"
                  "\r\nRestore information:\r\n    2 database(s), 7 table(s)\r\n\r\nDestination MySQL server:\r\n    "
                  "dst.example:3307 (Backup server)\r\n\r\n"
                + extras + "Task schedule:\r\n    Every Week\r\n";
        QTest::newRow("8") << 8
                           << head
                + "Restore one MySQL database from the other database\r\n\r\nSource MySQL server:\r\n    "
                  "src.example:3306\r\n\r\nRestore information:\r\n    2 database(s), 7 table(s)\r\n\r\nDestination "
                  "MySQL "
                  "server:\r\n    dst.example:3307 (Backup server)\r\n\r\n"
                + extras + "Task schedule:\r\n    Every Week\r\n";
        QTest::newRow("out of range") << 9 << std::string();
    }
    // Servers are named "host:port", an IPv6 address in brackets, and the profile's name after.
    void serverLabels()
    {
        ServerConnection server;
        server.host = "::1";
        server.port = 3310;
        QCOMPARE(wizard::serverLabel(server), std::string("[::1]:3310"));
        server.host = "db.example";
        server.connectionName = "Shop (live)";
        QCOMPARE(wizard::serverLabel(server), std::string("db.example:3310 (Shop (live))"));
    }

    void summaryOfEveryType()
    {
        QFETCH(int, type);
        QFETCH(std::string, expected);
        Task task = Base(static_cast<TaskType>(type));
        task.extras.triggers = true;
        task.extras.definer = DefinerMode::Strip;
        task.databases = TwoDatabasesSevenTables();
        task.backupSettings.backupFolder = "/backups/";
        task.backupSettings.singleFilePath = "/unused.sql";
        task.exportTables = {Table("film", 2), Table("film_list", 2, 2)};
        task.exportSettings.fileType = 3;
        task.exportSettings.directory = "/exports/";
        task.sqlStatements = {"USE a;", "SELECT 1;", "SELECT 2;"};
        task.restoreFiles = {RestoreFile {}};
        task.extras.restoreThreads = 3;
        task.schedule.kind = ScheduleKind::EveryWeek;
        QCOMPARE(buildTaskSummary(task), expected);
    }

    void summaryDetails()
    {
        // The same file, the Time Interval kind by its wizard name, and export kinds outside 1-4.
        Task task = Base(TaskType::BackupToFiles);
        task.backupSettings.fileMode = 1;
        task.backupSettings.singleFilePath = "/one/file.sql";
        task.schedule.kind = ScheduleKind::TimeInterval;
        task.extras = NewTaskExtras(task.type);
        QCOMPARE(buildTaskSummary(task),
            std::string(
                "Task name:\r\n    Nightly\r\n\r\nTask type:\r\n    Backup MySQL databases to SQL/PHP "
                "files\r\n\r\nSource MySQL server:\r\n    src.example:3306\r\n\r\nBackup information:\r\n    0 "
                "database(s), 0 table(s)\r\n\r\nTo file:\r\n    /one/file.sql\r\n\r\n"
                "Consistency and stored objects:\r\n    Consistent snapshot: Yes\r\n    Routines: Yes, triggers: "
                "Yes, events: Yes\r\n    DEFINER: Keep\r\n    Multi-row INSERT statements: ten rows per "
                "statement\r\n    Verify by restoring into: Off\r\n\r\nTask schedule:\r\n    Time Interval\r\n"));
        // The statement size in the largest unit that says it exactly.
        const std::pair<std::int64_t, const char*> sizes[]
            = {{1024 * 1024, "up to 1 MiB"}, {64 * 1024, "up to 64 KiB"}, {1000, "up to 1000 bytes"}};
        for (const auto& [bytes, text] : sizes) {
            task.extras.maxInsertBytes = bytes;
            QVERIFY2(buildTaskSummary(task).find(std::string("Multi-row INSERT statements: ") + text + "\r\n")
                    != std::string::npos,
                text);
        }
        // The verification server by its profile's name, or by its address.
        task.extras.verifyRestore = VerifyServer {"Staging", {}};
        QVERIFY(buildTaskSummary(task).find("    Verify by restoring into: Staging\r\n") != std::string::npos);
        task.extras.verifyRestore = VerifyServer {{}, {}};
        task.extras.verifyRestore->connection.host = "verify.example";
        task.extras.verifyRestore->connection.port = 3307;
        QVERIFY(
            buildTaskSummary(task).find("    Verify by restoring into: verify.example:3307\r\n") != std::string::npos);
        const std::pair<int, const char*> kinds[] = {{1, "CSV"}, {2, "XML"}, {4, "TEXT"}, {0, "None"}};
        for (const auto& [fileType, kind] : kinds) {
            Task exportTask = Base(TaskType::ExportTables);
            exportTask.exportSettings.fileType = static_cast<std::uint8_t>(fileType);
            QVERIFY2(buildTaskSummary(exportTask).find(std::string("):\r\n    ") + kind + "\r\n    \r\n")
                    != std::string::npos,
                kind);
        }
        // The command after a run that did not succeed: a last block of every type, as one line.
        for (int type = 1; type <= 8; ++type) {
            Task withCommand = Base(static_cast<TaskType>(type));
            const std::string without = buildTaskSummary(withCommand);
            withCommand.extras.onFailure = {"mail", "-s", "Run failed", "ops@example.org"};
            QCOMPARE(buildTaskSummary(withCommand),
                without + "\r\nOn failure:\r\n    mail -s 'Run failed' ops@example.org\r\n");
        }
    }

    void captions()
    {
        QCOMPARE(stepCaption(TaskType::BackupToFiles, 1),
            std::string("Task Wizard - Backup MySQL databases to SQL/PHP files - Step 1 of 6"));
        QCOMPARE(
            stepCaption(TaskType::ExecuteScript, 3), std::string("Task Wizard - Execute MySQL script - Step 3 of 5"));
        QCOMPARE(summaryCaption(TaskType::RestoreFromFiles),
            std::string("Task Wizard - Restore MySQL databases from SQL files - Step 5 of 5"));
        QCOMPARE(summaryCaption(TaskType::RestoreFromServer),
            std::string("Task Wizard - Restore MySQL databases from the other server - Step 6 of 6"));
        QCOMPARE(summaryCaption(static_cast<TaskType>(0)), std::string("Task Wizard"));
        QCOMPARE(editCaption("Daily", TaskType::BackupToDatabase),
            QString("Edit Task - Daily - Backup one MySQL database to the other database"));
        QCOMPARE(propertiesCaption("Daily", TaskType::ExportTables),
            QString("Task Properties - Daily - Export MySQL tables and views to CSV/XML/HTML/TEXT files"));
        // A name that looks like a placeholder is shown as it is.
        QCOMPARE(
            editCaption("50%2 %1", TaskType::ExecuteScript), QString("Edit Task - 50%2 %1 - Execute MySQL script"));
        QCOMPARE(taskTypeHelpTopic(TaskType::RestoreFromDatabase), std::string("::/taskwizard/tasktype8.html"));
        QCOMPARE(normalizedTaskType(0), TaskType::BackupToFiles);
        QCOMPARE(normalizedTaskType(9), TaskType::BackupToFiles);
        QCOMPARE(normalizedTaskType(8), TaskType::RestoreFromDatabase);
    }

    void readOnlyTexts()
    {
        ServerConnection server;
        QCOMPARE(serverOptionsText(server), QString("None"));
        server.useCompression = 1;
        QCOMPARE(serverOptionsText(server), QString("Use compression protocol\r\n"));
        server.useSsl = 1;
        QCOMPARE(serverOptionsText(server), QString("Use compression protocol\r\nUse SSL protocol"));
        server.useCompression = 0;
        QCOMPARE(serverOptionsText(server), QString("Use SSL protocol"));

        QCOMPARE(tableLabel(Table("t", 2, 1)), QString("t (Table)"));
        QCOMPARE(tableLabel(Table("v", 2, 2)), QString("v (View)"));
        QCOMPARE(tableLabel(Table("u", 2, 0)), QString("u (Table)"));
        QCOMPARE(tableLabel(Table("%1", 2, 2)), QString("%1 (View)"));
        QCOMPARE(exportTableLabel(Table("t", 2, 1)), QString("t"));
        QCOMPARE(exportTableLabel(Table("v", 2, 2)), QString("v (View)"));

        QCOMPARE(fileSizeText(1023), QString("0 KB"));
        QCOMPARE(fileSizeText(1024), QString("1 KB"));
        QCOMPARE(fileSizeText(3390291), QString("3310 KB"));
        QCOMPARE(scriptText({"USE a;", "SELECT 1;"}), std::string("USE a;\r\n\r\nSELECT 1;"));
        QCOMPARE(scriptText({}), std::string());

        ExportSettings exportSettings;
        const char* kinds[] = {"None", "CSV File  (Table Export)", "XML File  (Table Export)",
            "HTML File  (Table Export)", "TEXT File  (Table Export)", "None"};
        for (int type = 0; type <= 5; ++type) {
            exportSettings.fileType = static_cast<std::uint8_t>(type);
            QCOMPARE(exportFileKindText(exportSettings), QString(kinds[type]));
        }
    }

    void backupFileTexts()
    {
        BackupSettings same;
        same.fileMode = 1;
        same.fileType = 2;
        same.singleFilePath = "/b/all.php";
        same.unixLineEnds = 1;
        QCOMPARE(backupFileKindText(same), QString("PHP File"));
        QCOMPARE(backupFileModeText(same), QString("Always backup data to the same file"));
        QCOMPARE(backupFileDetailsText(same),
            QString("Backup to file:\r\n/b/all.php\r\n\r\nUse the '\\n' instead of '\\r\\n' in the backup files"));

        BackupSettings folder;
        folder.backupFolder = "/b/";
        folder.fileSplit = 2;
        folder.fileNameFormat = "%DATABASE%_%DATE%";
        QCOMPARE(backupFileKindText(folder), QString("SQL File"));
        QCOMPARE(backupFileModeText(folder), QString("Backup data to the new file(s) every time"));
        QCOMPARE(backupFileDetailsText(folder),
            QString("Backup to folder:\r\n/b/\r\n\r\nEach file contains a selected database\r\n\r\nFile Name "
                    "Format:\r\n%DATABASE%_%DATE%"));
        folder.fileSplit = 3;
        folder.newFolderPerRun = 1;
        folder.autoDelete = 1;
        folder.autoDeleteLimit = 14;
        QCOMPARE(backupFileDetailsText(folder),
            QString("Backup to folder:\r\n/b/\r\n\r\nEach file contains a selected table\r\n\r\nFile Name "
                    "Format:\r\n%DATABASE%_%DATE%\r\n\r\nCreate a new folder and named it after DATE_TIME every "
                    "time for storing the backup files\r\n\r\nAuto delete the backup files if they are more than "
                    "14 days old"));
        folder.fileSplit = 1;
        folder.newFolderPerRun = 0;
        folder.autoDelete = 2;
        folder.autoDeleteLimit = 3;
        folder.unixLineEnds = 1;
        QCOMPARE(backupFileDetailsText(folder),
            QString("Backup to folder:\r\n/b/\r\n\r\nOne file contains all selected databases and tables\r\n\r\n"
                    "File Name Format:\r\n%DATABASE%_%DATE%\r\n\r\nAuto delete the oldest backup files when more "
                    "than 3 backup copies\r\n\r\n"
                    "Use the '\\n' instead of '\\r\\n' in the backup files"));
    }

    void fileNameFormatChecks_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<int>("split");
        QTest::addColumn<QString>("message");
        QTest::newRow("empty") << "" << 1 << "Please input file name format.";
        const char* bad = "There are some invalid characters in the file name format!\n\n\\ / : * ? \" < > |";
        for (const char* c : {"\r", "\n", "\t", "\\", "/", ":", "*", "?", "\"", "<", ">", "|"})
            QTest::addRow("bad %d", static_cast<int>(c[0])) << QString("%HOST%") + c + "x" << 1 << bad;
        QTest::newRow("1 default") << "%HOST%_%DATE%_%TIME%" << 1 << "";
        QTest::newRow("1 database") << "%HOST%_%DATABASE%" << 1
                                    << "Please do not input %DATABASE% in file name format.";
        QTest::newRow("1 table") << "%HOST%_%TABLE%" << 1 << "Please do not input %TABLE% in file name format.";
        QTest::newRow("1 both") << "%DATABASE%%TABLE%" << 1 << "Please do not input %DATABASE% in file name format.";
        QTest::newRow("2 default") << "%HOST%_%DATABASE%_%DATE%_%TIME%" << 2 << "";
        QTest::newRow("2 no database") << "%HOST%_%DATE%" << 2 << "Please input %DATABASE% in file name format.";
        QTest::newRow("2 table") << "%DATABASE%_%TABLE%" << 2 << "Please do not input %TABLE% in file name format.";
        QTest::newRow("2 table only") << "%TABLE%" << 2 << "Please do not input %TABLE% in file name format.";
        QTest::newRow("3 default") << "%HOST%_%DATABASE%_%TABLE%_%DATE%_%TIME%" << 3 << "";
        QTest::newRow("3 table only") << "%TABLE%" << 3 << "";
        QTest::newRow("3 no table") << "%HOST%_%DATABASE%" << 3 << "Please input %TABLE% in file name format.";
        QTest::newRow("dot dot") << ".." << 1 << "The file name format must not be \".\" or \"..\".";
        QTest::newRow("lower case is no placeholder")
            << "%database%" << 2 << "Please input %DATABASE% in file name format.";
    }
    void fileNameFormatChecks()
    {
        QFETCH(QString, format);
        QFETCH(int, split);
        QFETCH(QString, message);
        QCOMPARE(QString::fromStdString(CheckFileNameFormat(format.toStdString(), split)), message);
    }

    void countAndNameChecks()
    {
        const std::pair<const char*, bool> counts[] = {
            {"", false}, {"0", false}, {"1", true}, {"10000", true}, {"10001", false}, {"12a", false}, {" 7 ", true}};
        for (const auto& [text, ok] : counts) {
            QCOMPARE(CheckKeepDays(text).empty(), ok);
            QCOMPARE(CheckKeepCopies(text), ok ? std::string() : std::string("Invalid number of the backup copies!"));
        }
        QCOMPARE(CheckKeepDays("0"), std::string("Invalid keeping days!"));
        QCOMPARE(CheckNewDatabaseName(""), std::string("Please input the new database name."));
        for (const char* bad : {"a/b", "a\\b", "a.b"}) {
            QCOMPARE(CheckNewDatabaseName(bad),
                std::string("There are some invalid characters \n('/', '\\', or '.') \nin the database name!"));
        }
        QCOMPARE(CheckNewDatabaseName("shop_copy"), std::string());
    }

    void sameServerAndDatabase()
    {
        ServerConnection a;
        a.host = "db";
        a.port = 3306;
        a.database = "shop";
        ServerConnection b = a;
        QVERIFY(sameServer(a, b));
        QVERIFY(sameDatabase(a, b));
        b.database = "shop2";
        QVERIFY(sameServer(a, b));
        QVERIFY(!sameDatabase(a, b)); // another name on the same server is accepted
        b = a;
        b.port = 3307;
        QVERIFY(!sameDatabase(a, b)); // the same name on another port is accepted
        b = a;
        b.host = "DB";
        QVERIFY(!sameServer(a, b)); // host compared exactly
    }

    void typedEscapes()
    {
        QCOMPARE(ConvertTypedEscapes("\\t"), std::string("\t"));
        QCOMPARE(ConvertTypedEscapes("\\r\\n"), std::string("\r\n"));
        QCOMPARE(ConvertTypedEscapes("\\\\"), std::string("\\"));
        QCOMPARE(ConvertTypedEscapes("\\a\\b\\f\\v\\'\\\"\\?"), std::string("\a\b\f\v'\"?"));
        QCOMPARE(ConvertTypedEscapes("a\\qb;"), std::string("a\\qb;"));
        // Each replacement runs over the whole text before the next: "\\n" meets \n first.
        QCOMPARE(ConvertTypedEscapes("\\\\n"), std::string("\\\n"));
        // What the page shows converts back to what is stored.
        for (const std::string& stored : {std::string("\t"), std::string("\r\n"), std::string("\\"),
                 std::string("\a\b\f\v"), std::string(",|;"), std::string("\"")}) {
            QCOMPARE(ConvertTypedEscapes(showTypedEscapes(stored)), stored);
        }
        QCOMPARE(showTypedEscapes("\r\n"), std::string("\\r\\n"));
    }

    void choicesCarriedOverByName()
    {
        std::vector<DatabaseItem> server = {{2, "shop", {Table("a", 2), Table("b", 2), Table("new", 2)}},
            {2, "web", {Table("p", 2)}}, {2, "fresh", {Table("z", 2)}}, {2, "empty", {}}};
        std::vector<DatabaseItem> earlier = {{1, "shop", {Table("a", 2), Table("b", 0)}}, {2, "web", {Table("p", 2)}},
            {2, "gone", {}}, {2, "empty", {}}};
        checkCarried(std::move(server), earlier);
    }

private:
    static void checkCarried(std::vector<DatabaseItem> server, const std::vector<DatabaseItem>& earlier)
    {
        const std::vector<DatabaseItem> carried = carryDatabaseChoices(std::move(server), earlier);
        QCOMPARE(carried.size(), std::size_t(4));
        // shop: a chosen, b not, the new table not (the database was only partly chosen).
        QCOMPARE(carried[0].checkState, std::uint8_t(1));
        QCOMPARE(carried[0].tables[0].checkState, std::uint8_t(2));
        QCOMPARE(carried[0].tables[1].checkState, std::uint8_t(0));
        QCOMPARE(carried[0].tables[2].checkState, std::uint8_t(0));
        QCOMPARE(carried[1].checkState, std::uint8_t(2));
        // A database the server has anew starts not chosen; one without tables keeps its tick.
        QCOMPARE(carried[2].checkState, std::uint8_t(0));
        QCOMPARE(carried[2].tables[0].checkState, std::uint8_t(0));
        QCOMPARE(carried[3].checkState, std::uint8_t(2));
        QCOMPARE(databaseCheckState({}, false), std::uint8_t(0));
        QCOMPARE(databaseCheckState({Table("a", 0)}, true), std::uint8_t(0));
    }
};

QTEST_GUILESS_MAIN(TaskSummaryTest)
#include "TaskSummaryTest.moc"
