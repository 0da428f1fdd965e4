// The whole program against a real server: the Sakila backup task comes in through
// kelvanto-cli while the program holds the data folder (a row appears), is run from the
// window (the row goes to Running and back, the log window shows "Finished"), and a copy made
// through kelvanto-cli is run by kelvanto-cli, which the program carries out and the command
// line follows to "Finished"; both dumps are on disk.
#include "app/Application.h"
#include "app/DefaultEngines.h"
#include "mysql/OpenConnection.h"
#include "tests/support/RoundTrip.h"
#include "tests/support/RoundTripDatabase.h"
#include "tests/ui/support/DesktopHarness.h"
#include "tests/ui/support/UiTestSupport.h"
#include "ui/MainActions.h"
#include "ui/MainWindow.h"
#include "ui/TaskListModel.h"
#include "ui/TaskListView.h"
#include "ui/TaskLogDialog.h"

#include <QAction>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTableWidget>
#include <QtTest>

#include <fstream>

using namespace kelvanto;
using test::DesktopHarness;

namespace
{

// The shipped example, pointed at the test server, a private copy of Sakila and a private folder.
QByteArray SakilaTask(const test::TestServerAddress& server, const std::string& database, const QString& backups)
{
    QFile file(QString::fromLocal8Bit(qgetenv("KELVANTO_SOURCE_DIR")) + "/examples/backup-sakila.json");
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QJsonObject task = QJsonDocument::fromJson(file.readAll()).object();
    QJsonObject source = task["source"].toObject();
    source["host"] = QString::fromStdString(server.host);
    source["port"] = server.port;
    source["user"] = QString::fromStdString(server.user);
    source["password"] = QString::fromStdString(server.password);
    task["source"] = source;
    QJsonObject settings = task["backupSettings"].toObject();
    settings["backupFolder"] = backups + "/";
    settings["fileNameFormat"] = "%TASKNAME%_%DATE%_%TIME%";
    task["backupSettings"] = settings;
    QJsonArray databases = task["databases"].toArray();
    QJsonObject first = databases[0].toObject();
    first["name"] = QString::fromStdString(database);
    QJsonArray tables = first["tables"].toArray();
    for (auto&& entry : tables) {
        QJsonObject table = entry.toObject();
        table["database"] = QString::fromStdString(database);
        entry = table;
    }
    first["tables"] = tables;
    databases[0] = first;
    task["databases"] = databases;
    return QJsonDocument(task).toJson();
}

} // namespace

class EndToEndServerTest : public QObject
{
    Q_OBJECT

private slots:
    void theSakilaBackupRunsFromTheWindowAndFromTheCommandLine()
    {
        KELVANTO_QT_REQUIRE_SERVER(server, 1);
        test::RoundTripDatabase database("guirun", {server});
        QCOMPARE(QString::fromStdString(test::LoadSakila(server, database.name())), QString());

        DesktopHarness h;
        const QString backups = QString::fromStdString((h.tmp.path() / "backups").string());
        std::filesystem::create_directories(h.tmp.path() / "backups");
        h.writeOptions(DesktopHarness::quietOptions());
        h.settings.engines = MakeDefaultEngines;
        h.settings.connector = MakeMariaDbConnector();
        QCOMPARE(h.start(), DesktopApp::kRunning);
        MainWindow& window = h.window();
        QVERIFY(window.isVisible());
        TaskListModel& model = window.view().model();
        QCOMPARE(model.rowCount(), 0);

        // The program holds the data folder: the command line hands its requests to it.
        const auto imported
            = test::runCli(h.dataDir(), {"task", "import", "-"}, SakilaTask(server, database.name(), backups));
        QVERIFY2(imported.code == 0, qPrintable(imported.err));
        QCOMPARE(model.rowCount(), 1);
        QCOMPARE(model.index(0, TaskListModel::Name).data().toString(), QString("Backup sakila"));

        // Every status the row shows, as the refresh sets it.
        QStringList statuses;
        connect(&model, &QAbstractItemModel::dataChanged, this, [&](const QModelIndex& from) {
            statuses << model.index(from.row(), TaskListModel::Status).data().toString();
        });

        window.view().selectRows({0}, 0);
        h.messages.answerYes();
        window.mainActions().runImmediately->trigger();
        QCOMPARE(h.messages.lastText(), QString("Do you want to RUN the task (Backup sakila) immediately?"));
        QTRY_VERIFY_WITH_TIMEOUT(statuses.contains("Running..."), 60000);
        QTRY_COMPARE_WITH_TIMEOUT(model.index(0, TaskListModel::Status).data().toString(), QString("Stop"), 120000);
        QVERIFY(!model.index(0, TaskListModel::LastRun).data().toString().isEmpty());

        QStringList logLines;
        window.mainActions().viewLog->trigger();
        auto* logWindow = window.findChild<TaskLogDialog*>();
        QVERIFY(logWindow && logWindow->isVisible());
        auto* list = test::child<QTableWidget>(logWindow, "logList");
        for (int row = 0; row < list->rowCount(); ++row)
            logLines << list->item(row, 2)->text();
        logWindow->close();
        QVERIFY2(logLines.contains("Run task immediately"), qPrintable(logLines.join(" | ")));
        QVERIFY(logLines.contains("Running..."));
        QCOMPARE(logLines.last(), QString("Run ended: succeeded"));
        QCOMPARE(model.index(0, TaskListModel::LastResult).data().toString(), QString("OK"));

        // A copy (its files carry its own name) run by the command line through the program.
        QCOMPARE(test::runCli(h.dataDir(), {"task", "copy", "Backup sakila"}).code, 0);
        QCOMPARE(model.index(1, TaskListModel::Name).data().toString(), QString("Backup sakila_Copy"));
        const auto run = test::runCli(h.dataDir(), {"run", "Backup sakila_Copy"});
        QVERIFY2(run.code == 0, qPrintable(run.err + run.out));
        QVERIFY2(run.out.contains("\tGeneral Info\tRunning...\n")
                && run.out.endsWith("\tGeneral Info\tRun ended: succeeded\n"),
            qPrintable(run.out));
        QTRY_COMPARE(model.index(1, TaskListModel::Status).data().toString(), QString("Stop"));
        QVERIFY(!model.index(1, TaskListModel::LastRun).data().toString().isEmpty());
        const auto listed = test::runCli(h.dataDir(), {"list"});
        QVERIFY2(listed.out.startsWith("Backup sakila\t"), qPrintable(listed.out));
        QCOMPARE(listed.out.count("\tStop\t"), 2);

        std::vector<std::filesystem::path> dumps;
        // Each dump has the manifest of its run beside it.
        for (const auto& entry : std::filesystem::recursive_directory_iterator(h.tmp.path() / "backups")) {
            if (!entry.path().string().ends_with(".manifest.json"))
                dumps.push_back(entry.path());
        }
        QCOMPARE(dumps.size(), 2u);
        for (const auto& path : dumps)
            QVERIFY(std::filesystem::exists(path.string() + ".manifest.json"));
        for (const auto& path : dumps) {
            std::ifstream in(path, std::ios::binary);
            const std::string dump((std::istreambuf_iterator<char>(in)), {});
            QVERIFY(dump.find("CREATE TABLE IF NOT EXISTS `film` (") != std::string::npos);
            QVERIFY(dump.find("INSERT INTO `actor`") != std::string::npos);
        }
        QCOMPARE(h.messages.unanswered, 0);
    }
};

QTEST_MAIN(EndToEndServerTest)
#include "EndToEndServerTest.moc"
