// The checks that the name, server and database pages make on Next, in order: each refusal's
// warning and the field that gets the focus, as tables of cases.
#include "tests/ui/support/PageChecks.h"
#include "tests/ui/support/UiTestSupport.h"
#include "ui/UiTexts.h"
#include "ui/wizard/ChooseDatabasesPage.h"
#include "ui/wizard/ChooseTablesPage.h"
#include "ui/wizard/DestinationDatabasePage.h"
#include "ui/wizard/ServerPage.h"
#include "ui/wizard/SourceDatabasePage.h"
#include "ui/wizard/TaskNamePage.h"
#include "ui/wizard/WizardTexts.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QTreeWidget>
#include <QtTest>

#include <filesystem>
#include <functional>

using namespace kelvanto;
using namespace kelvanto::test;

namespace
{

const QString kPortRange = "Please input a number between 1 and 65535.";
const QString kHostMissing = "Please input the Host name or IP address.";

struct Case
{
    const char* name;
    std::function<void(QWidget*)> arrange;
    QString message; // empty: accepted
    const char* focus;
};

TableItem Table(const std::string& name, std::uint8_t checkState)
{
    TableItem table;
    table.name = name;
    table.checkState = checkState;
    table.kind = 1;
    table.database = "shop";
    return table;
}

Task WithSource(TaskType type)
{
    Task task;
    task.type = type;
    task.source.host = "db1";
    task.source.port = 3306;
    task.source.database = "shop";
    return task;
}

} // namespace

class WizardPageChecksTest : public QObject
{
    Q_OBJECT

private slots:
    void taskNamePage()
    {
        WizardHarness harness;
        harness.addTask("Mine");
        harness.addTask("Other");
        const Case cases[] = {
            {"empty", [](QWidget* p) { type(p, "taskName", ""); }, texts::kNameMissing, "taskName"},
            {"taken", [](QWidget* p) { type(p, "taskName", "Other"); }, texts::kNameTaken, "taskName"},
            {"other case", [](QWidget* p) { type(p, "taskName", "other"); }, "", ""},
            {"own name", [](QWidget* p) { type(p, "taskName", "Mine"); }, "", ""},
            // The core's name rules, as every other way in applies them.
            {"a tab", [](QWidget* p) { type(p, "taskName", "a\tb"); }, kNameControlCharacters, "taskName"},
            {"201 bytes", [](QWidget* p) { type(p, "taskName", QString(201, 'n')); }, kNameTooLong, "taskName"},
            {"200 bytes", [](QWidget* p) { type(p, "taskName", QString(200, 'n')); }, "", ""},
        };
        Task edited;
        edited.name = "Mine";
        for (const Case& row : cases) {
            PageUnderTest<TaskNamePage> page(harness, SheetMode::Edit, TaskType::BackupToFiles, edited);
            row.arrange(page.page.get());
            expectValidation(harness, *page, row.message, row.focus, row.name);
        }
        // The wizard proposes "Task N" and refuses the edited task's name for a new task.
        PageUnderTest<TaskNamePage> fresh(harness, SheetMode::Wizard, TaskType::BackupToFiles, Task());
        QCOMPARE(fresh->findChild<QLineEdit*>("taskName")->text(), QString("Task 3"));
        type(fresh.page.get(), "taskName", "Mine");
        expectValidation(harness, *fresh, texts::kNameTaken, "taskName", "new task named as another");
    }

    void serverPage()
    {
        WizardHarness harness;
        const Case cases[] = {
            {"no host", [](QWidget* p) { type(p, "host", ""); }, kHostMissing, "host"},
            {"port 0", [](QWidget* p) { type(p, "port", "0"); }, kPortRange, "port"},
            {"port 80a", [](QWidget* p) { type(p, "port", "80a"); }, kPortRange, "port"},
            {"port empty", [](QWidget* p) { type(p, "port", ""); }, kPortRange, "port"},
            {"port 65536", [](QWidget* p) { type(p, "port", "65536"); }, kPortRange, "port"},
            {"host before port", [](QWidget* p) { type(p, "host", ""), type(p, "port", "0"); }, kHostMissing, "host"},
            {"port 65535", [](QWidget* p) { type(p, "port", "65535"); }, "", ""},
            {"port 1", [](QWidget* p) { type(p, "port", "1"); }, "", ""},
        };
        for (const Case& row : cases) {
            // The script type's source page reads no list on Next.
            PageUnderTest<ServerPage> page(harness, SheetMode::Wizard, TaskType::ExecuteScript,
                WithSource(TaskType::ExecuteScript), ServerPage::Role::Source);
            row.arrange(page.page.get());
            expectValidation(harness, *page, row.message, row.focus, row.name);
        }
        Task saved = WithSource(TaskType::ExecuteScript);
        PageUnderTest<ServerPage> page(
            harness, SheetMode::Wizard, TaskType::ExecuteScript, saved, ServerPage::Role::Source);
        type(page.page.get(), "port", "65535");
        type(page.page.get(), "user", "backup");
        tick(page.page.get(), "useSsl");
        page->save(saved);
        QCOMPARE(saved.source.port, 65535);
        QCOMPARE(saved.source.user, std::string("backup"));
        QCOMPARE(saved.source.useSsl, std::uint8_t(1));
        QCOMPARE(saved.source.database, std::string("shop")); // what the page does not show is kept
    }

    void connectionsListAndNewProfile()
    {
        WizardHarness harness;
        ServerConnection stored;
        stored.connectionName = "Standby";
        stored.host = "standby.example";
        stored.port = 3307;
        stored.user = "copier";
        stored.password = "secret";
        stored.useCompression = 1;
        harness.context().servers().add(stored);
        PageUnderTest<ServerPage> page(harness, SheetMode::Wizard, TaskType::BackupToServer,
            WithSource(TaskType::BackupToServer), ServerPage::Role::Destination);
        auto* connections = page->findChild<QComboBox*>("connections");
        QCOMPARE(connections->count(), 1);
        QCOMPARE(connections->currentIndex(), -1);
        connections->setCurrentIndex(0);
        emit connections->activated(0);
        ServerConnection chosen = page->current();
        QCOMPARE(chosen.host, std::string("standby.example"));
        QCOMPARE(chosen.port, 3307);
        QCOMPARE(chosen.password, std::string("secret"));
        QCOMPARE(chosen.useCompression, std::uint8_t(1));
        QCOMPARE(chosen.connectionName, std::string()); // tasks keep no profile name
        // "New" adds a profile through the profile dialog, saves the list and takes it.
        onNextModal(
            [](QWidget* dialog) {
                type(dialog, "connectionName", "Local");
                type(dialog, "host", "127.0.0.2");
                type(dialog, "port", "3310");
                click(dialog, "ok");
            },
            "kelvanto::ServerProfileDialog");
        click(page.page.get(), "newConnection");
        QCOMPARE(harness.context().servers().size(), std::size_t(2));
        QCOMPARE(connections->currentText(), QString("Local"));
        QCOMPARE(page->current().host, std::string("127.0.0.2"));
        QCOMPARE(page->current().port, 3310);
        QVERIFY(std::filesystem::file_size(harness.app().Folder().ServerListFile()) > 4);
        // Test connection checks the address first and reports the refused connection.
        type(page.page.get(), "port", "0");
        click(page.page.get(), "testConnection");
        QCOMPARE(harness.messages.lastText(), kPortRange);
        type(page.page.get(), "port", "3310");
        click(page.page.get(), "testConnection");
        QCOMPARE(harness.messages.shown.back().kind, ScriptedMessages::Shown::Kind::ConnectionFailure);
        click(page.page.get(), "howToConnect");
        QCOMPARE(harness.help.topics, QStringList({"::/howtoconnect.html"}));
    }

    void destinationServerDiffersFromSource()
    {
        WizardHarness harness;
        const QString same = wizard::kSameServer;
        const Case cases[] = {
            {"same host and port", [](QWidget*) {}, same, "host"},
            {"same port written differently", [](QWidget* p) { type(p, "port", "03306"); }, same, "host"},
            {"another port", [](QWidget* p) { type(p, "port", "3307"); }, "", ""},
            {"host in other case", [](QWidget* p) { type(p, "host", "DB1"); }, "", ""},
            {"port checked first", [](QWidget* p) { type(p, "port", "0"); }, kPortRange, "port"},
        };
        for (TaskType type : {TaskType::BackupToServer, TaskType::RestoreFromServer}) {
            for (const Case& row : cases) {
                Task task = WithSource(type);
                task.destination = task.source;
                PageUnderTest<ServerPage> page(harness, SheetMode::Wizard, type, task, ServerPage::Role::Destination);
                row.arrange(page.page.get());
                expectValidation(harness, *page, row.message, row.focus, row.name);
            }
        }
        // The restore-from-files type has no source to differ from.
        Task task = WithSource(TaskType::RestoreFromFiles);
        task.destination = task.source;
        PageUnderTest<ServerPage> page(
            harness, SheetMode::Wizard, TaskType::RestoreFromFiles, task, ServerPage::Role::Destination);
        expectValidation(harness, *page, "", "", "restore from files");
    }

    void sourcePageThatListsDatabasesStaysWhenTheServerIsUnreachable()
    {
        WizardHarness harness;
        PageUnderTest<ServerPage> page(harness, SheetMode::Wizard, TaskType::BackupToFiles,
            WithSource(TaskType::BackupToFiles), ServerPage::Role::Source);
        QVERIFY(!page->validate());
        QCOMPARE(harness.messages.shown.size(), std::size_t(1));
        QCOMPARE(harness.messages.shown[0].kind, ScriptedMessages::Shown::Kind::ConnectionFailure);
        QCOMPARE(harness.messages.lastText(),
            QString("Failed to connect to the MySQL server!\n\nError NO. 2003\nCan't connect to server"));
        QCOMPARE(focusOf(page.page.get())->objectName(), QString("host"));
        // The edit sheet has no next page to list for: it does not connect.
        PageUnderTest<ServerPage> edit(harness, SheetMode::Edit, TaskType::BackupToFiles,
            WithSource(TaskType::BackupToFiles), ServerPage::Role::Source);
        expectValidation(harness, *edit, "", "", "edit mode");
    }

    void databasesAndTablesPages()
    {
        WizardHarness harness;
        Task task = WithSource(TaskType::BackupToFiles);
        task.databases = {{0, "shop", {Table("a", 0), Table("b", 0)}}, {0, "web", {}}};
        const Case cases[] = {
            {"neither structure nor records",
                [](QWidget* p) { tick(p, "exportStructure", false), tick(p, "exportRecords", false); },
                wizard::kChooseStructureOrRecords, "exportStructure"},
            {"records only",
                [](QWidget* p) {
                    tick(p, "exportStructure", false);
                    p->findChild<QTreeWidget*>("databases")->topLevelItem(0)->child(0)->setCheckState(0, Qt::Checked);
                },
                "", ""},
            {"nothing chosen", [](QWidget*) {}, wizard::kChooseDatabasesOrTables, "databases"},
            {"structure checked before the choice", [](QWidget* p) { tick(p, "exportRecords", false); },
                wizard::kChooseDatabasesOrTables, "databases"},
            {"one table",
                [](QWidget* p) {
                    p->findChild<QTreeWidget*>("databases")->topLevelItem(0)->child(1)->setCheckState(0, Qt::Checked);
                },
                "", ""},
            {"a database without tables",
                [](QWidget* p) {
                    p->findChild<QTreeWidget*>("databases")->topLevelItem(1)->setCheckState(0, Qt::Checked);
                },
                "", ""},
        };
        for (const Case& row : cases) {
            PageUnderTest<ChooseDatabasesPage> page(harness, SheetMode::Edit, task.type, task);
            row.arrange(page.page.get());
            expectValidation(harness, *page, row.message, row.focus, row.name);
        }
        // Nothing chosen with "all newly-created databases": a question, No stays on the page.
        PageUnderTest<ChooseDatabasesPage> page(harness, SheetMode::Edit, task.type, task);
        tick(page.page.get(), "allNewDatabases");
        harness.messages = ScriptedMessages();
        harness.messages.answerNo();
        QVERIFY(!page->validate());
        QCOMPARE(harness.messages.lastText(), QString(wizard::kNoDatabasesQuestion));
        QCOMPARE(harness.messages.shown.back().icon, Messages::Icon::Question);
        // One table ticked: the tree is stored whole with the choices and the counts' states.
        page->findChild<QTreeWidget*>("databases")->topLevelItem(0)->child(0)->setCheckState(0, Qt::Checked);
        Task saved = task;
        page->save(saved);
        QCOMPARE(saved.databases[0].checkState, std::uint8_t(1));
        QCOMPARE(saved.databases[0].tables[0].checkState, std::uint8_t(2));
        QCOMPARE(saved.databases[1].checkState, std::uint8_t(0));
        QCOMPARE(saved.backupSettings.allNewDatabases, std::uint8_t(1));

        // The tables page of one database asks the same way.
        Task one = WithSource(TaskType::BackupToDatabase);
        one.databases = {{0, "shop", {Table("a", 0), Table("b", 0)}}};
        PageUnderTest<ChooseTablesPage> tables(harness, SheetMode::Edit, one.type, one);
        harness.messages = ScriptedMessages();
        expectValidation(harness, *tables, wizard::kChooseSourceTables, "tables", "no table");
        tick(tables.page.get(), "allNewTables");
        harness.messages.answerNo();
        harness.messages.answerYes();
        QVERIFY(!tables->validate());
        QCOMPARE(harness.messages.lastText(), QString(wizard::kNoTablesQuestion));
        QVERIFY(tables->validate());
        click(tables.page.get(), "invert");
        harness.messages = ScriptedMessages();
        expectValidation(harness, *tables, "", "", "inverted");
        tables->save(one);
        QCOMPARE(one.databases.size(), std::size_t(1));
        QCOMPARE(one.databases[0].checkState, std::uint8_t(2));
        click(tables.page.get(), "deselectAll");
        tables->save(one);
        QCOMPARE(one.databases[0].checkState, std::uint8_t(1)); // the new tables still make it take part
    }

    void sourceDatabasePage()
    {
        WizardHarness harness;
        Task task = WithSource(TaskType::BackupToDatabase);
        const Case cases[] = {
            {"port", [](QWidget* p) { type(p, "port", "99999"); }, kPortRange, "port"},
            {"no database", [](QWidget* p) { p->findChild<QComboBox*>("database")->setCurrentIndex(-1); },
                wizard::kChooseSourceDatabase, "database"},
            {"empty name",
                [](QWidget* p) {
                    auto* combo = p->findChild<QComboBox*>("database");
                    combo->addItem(QString());
                    combo->setCurrentIndex(1);
                },
                wizard::kDatabaseNameEmpty, "database"},
            {"chosen", [](QWidget*) {}, "", ""},
        };
        for (const Case& row : cases) {
            PageUnderTest<SourceDatabasePage> page(harness, SheetMode::Edit, task.type, task);
            row.arrange(page.page.get());
            expectValidation(harness, *page, row.message, row.focus, row.name);
        }
    }

    void destinationDatabasePage()
    {
        WizardHarness harness;
        Task task = WithSource(TaskType::RestoreFromDatabase);
        task.destination = task.source;
        auto existing = [](const char* name) {
            return [name](QWidget* p) {
                tick(p, "chooseExisting");
                auto* combo = p->findChild<QComboBox*>("existingDatabase");
                combo->addItem(name);
                combo->setCurrentIndex(combo->count() - 1);
            };
        };
        auto create = [](const char* name) {
            return [name](QWidget* p) { tick(p, "createNew"), type(p, "newDatabase", name); };
        };
        const Case cases[] = {
            {"neither", [](QWidget*) {}, wizard::kChooseDestination, "chooseExisting"},
            {"existing not chosen", [](QWidget* p) { tick(p, "chooseExisting"); }, wizard::kChooseExistingDestination,
                "existingDatabase"},
            {"existing empty", existing(""), wizard::kDatabaseNameEmpty, "existingDatabase"},
            {"new empty", create(""), wizard::kInputNewDatabase, "newDatabase"},
            {"new with dot", create("a.b"), wizard::kBadDatabaseName, "newDatabase"},
            {"new with slash", create("a/b"), wizard::kBadDatabaseName, "newDatabase"},
            {"the source itself", existing("shop"), wizard::kSameDatabase, "existingDatabase"},
            {"the source by a new name", create("shop"), wizard::kSameDatabase, "newDatabase"},
            {"another name", create("shop_copy"), "", ""},
            {"same name, another port", [&](QWidget* p) { existing("shop")(p), type(p, "port", "3307"); }, "", ""},
            {"server checked first", [](QWidget* p) { type(p, "host", ""); }, kHostMissing, "host"},
        };
        for (const Case& row : cases) {
            PageUnderTest<DestinationDatabasePage> page(harness, SheetMode::Wizard, task.type, task);
            row.arrange(page.page.get());
            expectValidation(harness, *page, row.message, row.focus, row.name);
        }
        PageUnderTest<DestinationDatabasePage> page(harness, SheetMode::Wizard, task.type, task);
        create("shop_copy")(page.page.get());
        Task saved = task;
        page->save(saved);
        QCOMPARE(saved.destination.database, std::string("shop_copy"));
        QCOMPARE(saved.backupSettings.destDatabaseName, std::string("shop_copy"));
        QCOMPARE(saved.backupSettings.createDatabase, std::uint8_t(1));
    }
};

QTEST_MAIN(WizardPageChecksTest)
#include "WizardPageChecksTest.moc"
