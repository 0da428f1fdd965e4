// The whole program against a real server: the Sakila backup task is run from the window,
// the row goes to Running and back, the log window shows "Finished", the dump is on disk;
// meanwhile kelvanto-cli cannot run the task because the program holds the data folder.
#include "app/Application.h"
#include "app/DefaultEngines.h"
#include "mysql/OpenConnection.h"
#include "tests/support/RoundTrip.h"
#include "tests/support/RoundTripDatabase.h"
#include "tests/ui/support/DesktopHarness.h"
#include "tests/ui/support/UiTestSupport.h"
#include "ui/CMainFrame.h"
#include "ui/CVelmTasksView.h"
#include "ui/MainActions.h"
#include "ui/TaskListModel.h"

#include <QAction>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTableWidget>
#include <QtTest>

#include <fstream>

using namespace kelvanto;
using test::DesktopHarness;

namespace
{

struct CliOutcome
{
    int code = -1;
    QString out;
    QString err;
};

// Runs kelvanto-cli while this program's event loop keeps going.
CliOutcome RunCli(const DesktopHarness& h, const QStringList& args, const QByteArray& input = {})
{
    QProcess cli;
    QStringList all {"--data-dir", QString::fromStdString(h.DataDir().string())};
    all += args;
    cli.start(QString::fromLocal8Bit(qgetenv("KELVANTO_CLI_EXECUTABLE")), all);
    if (!cli.waitForStarted(10000))
        return {};
    cli.write(input);
    cli.closeWriteChannel();
    QElapsedTimer waited;
    waited.start();
    while (cli.state() != QProcess::NotRunning && waited.elapsed() < 120000)
        QTest::qWait(10);
    return CliOutcome {
        cli.exitCode(), QString::fromUtf8(cli.readAllStandardOutput()), QString::fromUtf8(cli.readAllStandardError())};
}

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
    void theSakilaBackupRunsFromTheWindowWhileTheCommandLineIsKeptOut()
    {
        KELVANTO_QT_REQUIRE_SERVER(server, 1);
        test::RoundTripDatabase database("guirun", {server});
        QCOMPARE(QString::fromStdString(test::LoadSakila(server, database.name())), QString());

        DesktopHarness h;
        const QString backups = QString::fromStdString((h.tmp.path() / "backups").string());
        std::filesystem::create_directories(h.tmp.path() / "backups");
        const CliOutcome imported = RunCli(h, {"task", "import", "-"}, SakilaTask(server, database.name(), backups));
        QVERIFY2(imported.code == 0, qPrintable(imported.err));
        h.WriteOptions(DesktopHarness::QuietOptions());
        h.settings.engines = MakeDefaultEngines;
        h.settings.connector = MakeMariaDbConnector();
        QCOMPARE(h.Start(), DesktopApp::kRunning);
        CMainFrame& window = h.Window();
        QVERIFY(window.isVisible());

        // Every status the row shows, as the refresh sets it.
        QStringList statuses;
        TaskListModel& model = window.View().Model();
        connect(&model, &QAbstractItemModel::dataChanged, this, [&](const QModelIndex& from) {
            statuses << model.index(from.row(), TaskListModel::Status).data().toString();
        });

        window.View().SelectRows({0}, 0);
        h.messages.AnswerYes();
        window.Actions().runImmediately->trigger();
        QCOMPARE(h.messages.LastText(), QString("Do you want to RUN the task (Backup sakila) immediately?"));

        // The program holds the data folder: the command line may read it, not run a task.
        const CliOutcome refused = RunCli(h, {"run", "Backup sakila"});
        QCOMPARE(refused.code, 1);
        QVERIFY2(refused.err.contains("is in use by kelvanto (pid "), qPrintable(refused.err));
        QCOMPARE(RunCli(h, {"list"}).code, 0);

        QTRY_VERIFY_WITH_TIMEOUT(statuses.contains("Running..."), 60000);
        QTRY_COMPARE_WITH_TIMEOUT(model.index(0, TaskListModel::Status).data().toString(), QString("Stop"), 120000);
        QVERIFY(!model.index(0, TaskListModel::LastRun).data().toString().isEmpty());

        QStringList logLines;
        test::OnNextModal(
            [&](QWidget* dialog) {
                auto* list = test::Child<QTableWidget>(dialog, "logList");
                for (int row = 0; row < list->rowCount(); ++row)
                    logLines << list->item(row, 2)->text();
                dialog->close();
            },
            "kelvanto::TaskLogDialog");
        window.Actions().viewLog->trigger();
        QVERIFY2(logLines.contains("Run task immediately"), qPrintable(logLines.join(" | ")));
        QVERIFY(logLines.contains("Running..."));
        QCOMPARE(logLines.last(), QString("Finished"));

        std::vector<std::filesystem::path> dumps;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(h.tmp.path() / "backups"))
            dumps.push_back(entry.path());
        QCOMPARE(dumps.size(), 1u);
        std::ifstream in(dumps[0], std::ios::binary);
        const std::string dump((std::istreambuf_iterator<char>(in)), {});
        QVERIFY(dump.find("CREATE TABLE IF NOT EXISTS `film` (") != std::string::npos);
        QVERIFY(dump.find("INSERT INTO `actor`") != std::string::npos);
        QCOMPARE(h.messages.unanswered, 0);
    }
};

QTEST_MAIN(EndToEndServerTest)
#include "EndToEndServerTest.moc"
