// Each of the eight task types created through the wizard against the private test servers, as
// a user does it: the database tree and table lists come from the servers, the test ticks
// items and types names. The finished task is compared field by field (in its JSON form) with
// the task expected, then created and run through the runner until its log says it succeeded.
#include "app/DefaultEngines.h"
#include "app/TaskCommands.h"
#include "app/TaskJson.h"
#include "model/NewTask.h"
#include "model/TaskExtras.h"
#include "mysql/OpenConnection.h"
#include "tests/support/ServerSession.h"
#include "tests/ui/support/PageChecks.h"
#include "tests/ui/support/UiTestSupport.h"
#include "ui/wizard/RestoreFilesPage.h"
#include "ui/wizard/TaskWizard.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QTreeWidget>
#include <QtTest>

#include <algorithm>
#include <fstream>

using namespace kelvanto;
using namespace kelvanto::test;

namespace
{

// The source databases: one on each server, two tables and a view each.
std::string SourceSql(const std::string& database)
{
    return "DROP DATABASE IF EXISTS " + database + "; CREATE DATABASE " + database + "; USE " + database
        + "; CREATE TABLE items (id INT PRIMARY KEY, name VARCHAR(20)); INSERT INTO items VALUES (1, 'one'), (2, "
          "'two'); CREATE TABLE notes (id INT); CREATE VIEW item_names AS SELECT name FROM items;";
}

constexpr const char* kCleanSql = "DROP DATABASE IF EXISTS wiz_copy; DROP DATABASE IF EXISTS wiz_remote; "
                                  "DROP DATABASE IF EXISTS wiz_restored; DROP DATABASE IF EXISTS wiz_files;";

TableItem Item(const std::string& database, const std::string& name, std::uint8_t kind, std::uint8_t checkState = 2)
{
    return TableItem {checkState, kind, database, name};
}

// The chosen part of a task's database list, tables in name order: the servers list other
// databases too (and tests running beside this one add their own).
Task Comparable(Task task)
{
    std::erase_if(task.databases, [](const DatabaseItem& database) { return database.checkState == 0; });
    for (DatabaseItem& database : task.databases) {
        std::sort(database.tables.begin(), database.tables.end(),
            [](const TableItem& a, const TableItem& b) { return a.name < b.name; });
    }
    return task;
}

void FillServer(QWidget* page, const TestServerAddress& server)
{
    type(page, "host", QString::fromStdString(server.host));
    type(page, "port", QString::number(server.port));
    type(page, "user", QString::fromStdString(server.user));
    type(page, "password", QString::fromStdString(server.password));
}

void TickTreeItems(QWidget* page, const QString& database, const QStringList& labels)
{
    auto* tree = page->findChild<QTreeWidget*>("databases");
    const auto found = tree->findItems(database, Qt::MatchExactly);
    QVERIFY2(found.size() == 1, qPrintable(database));
    for (int i = 0; i < found[0]->childCount(); ++i) {
        if (labels.contains(found[0]->child(i)->text(0)))
            found[0]->child(i)->setCheckState(0, Qt::Checked);
    }
}

void TickListItems(QWidget* page, const char* list, const QStringList& labels)
{
    for (const QString& label : labels) {
        const auto found = page->findChild<QListWidget*>(list)->findItems(label, Qt::MatchExactly);
        QVERIFY2(found.size() == 1, qPrintable(label));
        found[0]->setCheckState(Qt::Checked);
    }
}

// Opens the drop-down list as a user does (it is read from the server then) and picks name.
void Pick(QWidget* page, const char* combo, const QString& name)
{
    auto* box = page->findChild<QComboBox*>(combo);
    box->showPopup();
    box->hidePopup();
    const int index = box->findText(name);
    QVERIFY2(index >= 0, qPrintable(name));
    box->setCurrentIndex(index);
}

} // namespace

class WizardServerTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        KELVANTO_QT_REQUIRE_SERVER(first, 1);
        KELVANTO_QT_REQUIRE_SERVER(second, 2);
        QCOMPARE(RunMariadbClient(first, SourceSql("wiz_src") + kCleanSql), 0);
        QCOMPARE(RunMariadbClient(second, SourceSql("wiz_remote") + "DROP DATABASE IF EXISTS wiz_src;"), 0);
    }

    void everyTypeThroughTheWizard_data()
    {
        QTest::addColumn<int>("type");
        for (int type = 1; type <= 8; ++type)
            QTest::addRow("type %d", type) << type;
    }
    void everyTypeThroughTheWizard()
    {
        QFETCH(int, type);
        KELVANTO_QT_REQUIRE_SERVER(first, 1);
        KELVANTO_QT_REQUIRE_SERVER(second, 2);
        WizardHarness harness(MakeMariaDbConnector(), MakeDefaultEngines());
        const std::string out = harness.dir.path().string();
        TaskWizard wizard(harness.context(), type);
        wizard.show();
        wizard.restart();
        wizard.next();
        kelvanto::test::type(wizard.stepPage(1), "taskName", QString("Wizard type %1").arg(type));
        wizard.next();

        // A new task starts from the defaults of its type (LF line ends, the type's extras).
        Task expected = NewTask(static_cast<TaskType>(type));
        expected.name = "Wizard type " + std::to_string(type);
        expected.schedule.intervalMinutes = 0;
        const ServerConnection one = SettingsFor(first);
        const ServerConnection two = SettingsFor(second);
        // Fills the step pages of the type as a user would, and says what the task must hold.
        switch (expected.type) {
        case TaskType::BackupToFiles:
        case TaskType::BackupToServer:
        case TaskType::RestoreFromServer: {
            const bool remote = expected.type == TaskType::RestoreFromServer;
            const std::string database = remote ? "wiz_remote" : "wiz_src";
            FillServer(wizard.stepPage(2), remote ? second : first);
            wizard.next();
            TickTreeItems(wizard.stepPage(3), QString::fromStdString(database), {"items (Table)", "item_names (View)"});
            wizard.next();
            expected.source = remote ? two : one;
            expected.databases = {{1, database,
                {Item(database, "item_names", 2), Item(database, "items", 1), Item(database, "notes", 1, 0)}}};
            if (expected.type == TaskType::BackupToFiles) {
                kelvanto::test::type(wizard.stepPage(4), "backupFolder", QString::fromStdString(out));
                expected.backupSettings.backupFolder = out + "/";
            } else {
                FillServer(wizard.stepPage(4), remote ? first : second);
                expected.destination = remote ? one : two;
            }
            break;
        }
        case TaskType::BackupToDatabase:
        case TaskType::RestoreFromDatabase: {
            const bool remote = expected.type == TaskType::RestoreFromDatabase;
            const std::string database = remote ? "wiz_remote" : "wiz_src";
            const std::string target = remote ? "wiz_restored" : "wiz_copy";
            FillServer(wizard.stepPage(2), remote ? second : first);
            Pick(wizard.stepPage(2), "database", QString::fromStdString(database));
            wizard.next();
            TickListItems(wizard.stepPage(3), "tables", {"items (Table)", "notes (Table)"});
            wizard.next();
            // The destination is the source server itself for the backup: another name is enough.
            FillServer(wizard.stepPage(4), first);
            tick(wizard.stepPage(4), "createNew");
            kelvanto::test::type(wizard.stepPage(4), "newDatabase", QString::fromStdString(target));
            expected.source = remote ? two : one;
            expected.source.database = database;
            expected.databases = {{1, database,
                {Item(database, "item_names", 2, 0), Item(database, "items", 1), Item(database, "notes", 1)}}};
            expected.destination = one;
            expected.destination.database = target;
            expected.backupSettings.createDatabase = 1;
            expected.backupSettings.destDatabaseName = target;
            break;
        }
        case TaskType::ExportTables: {
            FillServer(wizard.stepPage(2), first);
            wizard.next();
            QWidget* tables = wizard.stepPage(3);
            auto* database = tables->findChild<QComboBox*>("database");
            database->setCurrentIndex(database->findText("wiz_src"));
            auto* available = tables->findChild<QListWidget*>("available");
            available->findItems("items (Table)", Qt::MatchExactly)[0]->setSelected(true);
            available->findItems("item_names (View)", Qt::MatchExactly)[0]->setSelected(true);
            click(tables, "add");
            wizard.next();
            kelvanto::test::type(wizard.stepPage(4), "directory", QString::fromStdString(out));
            expected.source = one;
            expected.exportTables = {Item("wiz_src", "item_names", 2), Item("wiz_src", "items", 1)};
            expected.exportSettings = {1, out + "/", ",", "\"", "\\", "\r\n", 0};
            break;
        }
        case TaskType::ExecuteScript:
            FillServer(wizard.stepPage(2), first);
            wizard.next();
            kelvanto::test::type(wizard.stepPage(3), "script", "USE wiz_src;\nCREATE TABLE made_by_script (id INT);\n");
            expected.source = one;
            expected.sqlStatements = {"USE `wiz_src`", "CREATE TABLE made_by_script (id INT)"};
            break;
        case TaskType::RestoreFromFiles: {
            const std::string file = out + "/restore.sql";
            std::ofstream(file) << "CREATE DATABASE wiz_files;\nCREATE TABLE wiz_files.t (id INT);\n"
                                   "INSERT INTO wiz_files.t VALUES (1);\n";
            harness.files.choose(QString::fromStdString(file));
            click(wizard.stepPage(2), "add");
            harness.messages.answerYes();
            wizard.next();
            FillServer(wizard.stepPage(3), first);
            expected.destination = one;
            expected.restoreFiles = static_cast<RestoreFilesPage*>(wizard.stepPage(2))->files();
            QCOMPARE(expected.restoreFiles.size(), std::size_t(1));
            QCOMPARE(expected.restoreFiles[0].path, file);
            break;
        }
        }
        wizard.next();
        tick(wizard.stepPage(wizard.stepTotal() - 1), "manual");
        wizard.next();
        QVERIFY2(wizard.currentId() == wizard.stepTotal(), qPrintable(harness.messages.texts().join(" | ")));
        wizard.button(QWizard::FinishButton)->click();
        QCOMPARE(wizard.result(), int(QDialog::Accepted));
        KELVANTO_COMPARE_TASKS(Comparable(wizard.task()), Comparable(expected));
        QCOMPARE(harness.messages.unanswered, 0);

        // Created as the main window creates it, and run once now.
        TaskCommands commands(harness.app(), nullptr);
        auto index = commands.CreateTask(wizard.task(), true);
        QVERIFY(index.ok());
        const std::string log = harness.app().CopyOfTask(*index)->logFileName;
        auto lastLine = [&] {
            const auto records = harness.app().Log().ReadLog(log);
            return records.empty() ? std::string() : records.back().message;
        };
        QVERIFY(QTest::qWaitFor(
            [&] {
                return lastLine() == "Run ended: succeeded"
                    && harness.app().CopyOfTask(*index)->status == TaskStatus::Stopped;
            },
            60000));
        // Every line is a progress line, but for the snapshot's note on a source server that
        // keeps no binary log (the second test server).
        for (const LogRecord& record : harness.app().Log().ReadLog(log)) {
            QVERIFY2(record.level == LogLevel::General
                    || record.message.starts_with("The binary log of the source server is off"),
                record.message.c_str());
        }

        // What the run left behind.
        auto count = [](const TestServerAddress& server, const std::string& sql) {
            std::string output;
            RunMariadbClient(server, sql, &output, "-N");
            return QString::fromStdString(output).trimmed();
        };
        switch (expected.type) {
        case TaskType::BackupToFiles:
            QCOMPARE(QDir(QString::fromStdString(out)).entryList({"*.sql"}).size(), 1);
            break;
        case TaskType::BackupToServer:
            QCOMPARE(count(second, "SELECT COUNT(*) FROM wiz_src.items"), QString("2"));
            break;
        case TaskType::BackupToDatabase:
            QCOMPARE(count(first, "SELECT COUNT(*) FROM wiz_copy.items"), QString("2"));
            break;
        case TaskType::ExportTables:
            QVERIFY(QFile::exists(QString::fromStdString(out + "/wiz_src_items.csv")));
            break;
        case TaskType::ExecuteScript:
            QCOMPARE(count(first,
                         "SELECT COUNT(*) FROM information_schema.tables WHERE table_schema = 'wiz_src' AND "
                         "table_name = 'made_by_script'"),
                QString("1"));
            break;
        case TaskType::RestoreFromFiles:
            QCOMPARE(count(first, "SELECT COUNT(*) FROM wiz_files.t"), QString("1"));
            break;
        case TaskType::RestoreFromServer:
            QCOMPARE(count(first, "SELECT COUNT(*) FROM wiz_remote.items"), QString("2"));
            break;
        case TaskType::RestoreFromDatabase:
            QCOMPARE(count(first, "SELECT COUNT(*) FROM wiz_restored.items"), QString("2"));
            break;
        }
    }
};

QTEST_MAIN(WizardServerTest)
#include "WizardServerTest.moc"
