// The "Task Log" window on real log files: the last 200 records, Display All, Empty logs,
// the three exports and Help.
#include "ui/TaskLogDialog.h"
#include "schedule/TaskLog.h"
#include "tests/support/FakeClock.h"
#include "tests/support/TempDir.h"
#include "tests/ui/support/RecordingHelp.h"
#include "tests/ui/support/ScriptedFileDialogs.h"
#include "tests/ui/support/ScriptedMessages.h"
#include "tests/ui/support/UiTestSupport.h"

#include <QAction>
#include <QTableWidget>
#include <QtTest>

#include <fstream>

using namespace kelvanto;

namespace
{

// Saturday 1 January 2005, 20:20:20.
constexpr TimeStamp kSaturday {2005, 1, 1, 20, 20, 20, 7};

std::string FileText(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void AppendLe32(std::string& bytes, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
}

} // namespace

class TaskLogDialogTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<test::TempDir> tmp;
    std::shared_ptr<test::FakeClock> clock;
    std::unique_ptr<TaskLog> log;
    test::ScriptedMessages messages;
    test::RecordingHelp help;
    test::ScriptedFileDialogs files;

    std::unique_ptr<TaskLogDialog> Open(const std::string& logFile = "task.log")
    {
        return std::make_unique<TaskLogDialog>(
            *log, "Nightly", logFile, 1, 1, TaskLogDialog::Services {messages, help, files});
    }
    static QTableWidget* List(TaskLogDialog& dialog) { return test::child<QTableWidget>(&dialog, "logList"); }
    static void trigger(TaskLogDialog& dialog, const char* name) { dialog.findChild<QAction*>(name)->trigger(); }

private slots:
    void init()
    {
        tmp = std::make_unique<test::TempDir>();
        clock = std::make_shared<test::FakeClock>(kSaturday);
        log = std::make_unique<TaskLog>(tmp->path() / "Logs", clock);
        messages = test::ScriptedMessages();
        files = test::ScriptedFileDialogs();
        help = test::RecordingHelp();
    }

    void showsTheLast200RecordsAndDisplayAllShowsEveryOne()
    {
        for (int i = 1; i <= 250; ++i)
            log->WriteLog("task.log", i % 3 == 0 ? LogLevel::Error : LogLevel::General, "line " + std::to_string(i));
        auto dialog = Open();
        QCOMPARE(dialog->windowTitle(), QString("Task Log - Nightly"));
        QTableWidget* list = List(*dialog);
        QCOMPARE(list->horizontalHeaderItem(1)->text(), QString("Date & Time"));
        QCOMPARE(list->columnWidth(0), 70);
        QCOMPARE(list->rowCount(), 200);
        QCOMPARE(list->item(0, 0)->text(), QString("1"));
        QCOMPARE(list->item(0, 2)->text(), QString("line 51"));
        QCOMPARE(list->item(199, 0)->text(), QString("200"));
        QCOMPARE(list->item(0, 1)->text(), QString("Sat, Jan 01, 2005 20:20:20"));
        QCOMPARE(list->currentRow(), 199);
        trigger(*dialog, "displayAll");
        QCOMPARE(list->rowCount(), 250);
        QCOMPARE(list->item(249, 0)->text(), QString("250"));
        QCOMPARE(list->item(0, 2)->text(), QString("line 1"));
    }

    void anOlderFormatLogShowsOnlyWithDisplayAll()
    {
        std::filesystem::create_directories(tmp->path() / "Logs");
        std::string bytes;
        AppendLe32(bytes, 0xBFDFAEB0);
        bytes += '\x01';
        for (const int field : {2004, 12, 31, 23, 59, 58, 6})
            AppendLe32(bytes, static_cast<std::uint32_t>(field));
        AppendLe32(bytes, 3);
        bytes += "old";
        std::ofstream(tmp->path() / "Logs" / "old.log", std::ios::binary) << bytes;
        auto dialog = Open("old.log");
        QCOMPARE(List(*dialog)->rowCount(), 0);
        trigger(*dialog, "displayAll");
        QCOMPARE(List(*dialog)->rowCount(), 1);
        QCOMPARE(List(*dialog)->item(0, 2)->text(), QString("old"));
        trigger(*dialog, "refresh");
        QCOMPARE(List(*dialog)->rowCount(), 0);
    }

    void emptyLogsAsksAndDeletesTheFile()
    {
        auto empty = Open("missing.log");
        trigger(*empty, "emptyLogs");
        trigger(*empty, "exportCsv");
        QCOMPARE(messages.texts(), (QStringList {"There are not any task logs!", "There are not any task logs!"}));
        QVERIFY(messages.shown[0].icon == Messages::Icon::Warning);
        QVERIFY(files.asked.isEmpty());

        log->WriteLog("task.log", LogLevel::General, "Finished");
        auto dialog = Open();
        messages.clearShown();
        messages.answerNo();
        trigger(*dialog, "emptyLogs");
        QCOMPARE(List(*dialog)->rowCount(), 1);
        messages.answerYes();
        trigger(*dialog, "emptyLogs");
        QCOMPARE(messages.texts(),
            (QStringList {"Do you want to EMPTY ALL logs of the task?", "Do you want to EMPTY ALL logs of the task?"}));
        QCOMPARE(List(*dialog)->rowCount(), 0);
        QVERIFY(!std::filesystem::exists(tmp->path() / "Logs" / "task.log"));
        QCOMPARE(messages.unanswered, 0);
    }

    void theExportsWriteTheirLinesAndTheLogCopy()
    {
        log->WriteLog("task.log", LogLevel::General, "Finished");
        log->WriteLog("task.log", LogLevel::Warning, "User canceled!");
        auto dialog = Open();
        const auto csv = tmp->path() / "out.csv";
        const auto txt = tmp->path() / "out.txt";
        const auto copy = tmp->path() / "out.log";
        std::ofstream(csv, std::ios::binary) << "kept\r\n";
        files.choose(QString::fromStdString(csv.string()));
        trigger(*dialog, "exportCsv");
        files.choose(QString::fromStdString(txt.string()));
        trigger(*dialog, "exportTxt");
        files.choose(QString::fromStdString(copy.string()));
        trigger(*dialog, "exportLog");
        files.choose(QString()); // cancelled
        trigger(*dialog, "exportCsv");

        QCOMPARE(files.asked,
            (QStringList {"save Task Log files(*.csv) .csv", "save Task Log files(*.txt) .txt",
                "save Task Log files(*.log) .log", "save Task Log files(*.csv) .csv"}));
        QCOMPARE(FileText(csv),
            std::string("kept\r\n\"Sat, Jan 01, 2005 20:20:20\",\"General Info\",\"Finished\"\r\n"
                        "\"Sat, Jan 01, 2005 20:20:20\",\"Warning Info\",\"User canceled!\"\r\n"));
        QCOMPARE(FileText(txt),
            std::string("[Sat, Jan 01, 2005 20:20:20]\tGeneral Info\tFinished\r\n"
                        "[Sat, Jan 01, 2005 20:20:20]\tWarning Info\tUser canceled!\r\n"));
        QCOMPARE(FileText(copy), FileText(tmp->path() / "Logs" / "task.log"));
        QCOMPARE(messages.shown.size(), 0u);
    }

    void anExportThatCannotBeWrittenIsReported()
    {
        log->WriteLog("task.log", LogLevel::General, "Finished");
        auto dialog = Open();
        const auto missing = tmp->path() / "missing";
        QStringList expected;
        for (const char* name : {"exportCsv", "exportTxt", "exportLog"}) {
            const QString target = QString::fromStdString((missing / name).string());
            files.choose(target);
            trigger(*dialog, name);
            expected << "The task log could not be written to " + target + ".";
        }
        QCOMPARE(messages.texts(), expected);
        for (const auto& shown : messages.shown)
            QVERIFY(shown.icon == Messages::Icon::Error);
        QVERIFY(!std::filesystem::exists(missing));
    }

    void helpOpensTheTaskLogPage()
    {
        auto dialog = Open();
        trigger(*dialog, "help");
        QCOMPARE(help.topics, QStringList {"::/introduction/tasklog.html"});
    }
};

QTEST_MAIN(TaskLogDialogTest)
#include "TaskLogDialogTest.moc"
