// The program-wide dialogs: the server manager, the options sheet, the tip of the day, the
// about box and the connection-failure dialog.
#include "model/OptionsRules.h"
#include "model/Version.h"
#include "tests/support/TempDir.h"
#include "tests/ui/support/RecordingHelp.h"
#include "tests/ui/support/ScriptedFileDialogs.h"
#include "tests/ui/support/ScriptedMessages.h"
#include "tests/ui/support/UiTestSupport.h"
#include "ui/AboutDialog.h"
#include "ui/ConnectionFailureDialog.h"
#include "ui/OptionsDialog.h"
#include "ui/RunNotifications.h"
#include "ui/ServerManagerDialog.h"
#include "ui/TipOfTheDayDialog.h"
#include "ui/UiTexts.h"

#include <QAction>
#include <QCheckBox>
#include <QKeySequenceEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QtTest>

using namespace kelvanto;
using test::child;

namespace
{

ServerConnection profile(const char* name, std::uint8_t savePassword)
{
    ServerConnection profile;
    profile.connectionName = name;
    profile.host = std::string(name) + ".example";
    profile.savePassword = savePassword;
    profile.password = savePassword ? "pw" : "";
    return profile;
}

QStringList Row(QTableWidget* table, int row)
{
    QStringList texts;
    for (int c = 0; c < table->columnCount(); ++c)
        texts << table->item(row, c)->text();
    return texts;
}

} // namespace

class DialogsTest : public QObject
{
    Q_OBJECT

private:
    test::ScriptedMessages messages;
    test::RecordingHelp help;
    test::ScriptedFileDialogs files;

    // The server manager's services; its saves are counted, and fail with `failure` when set.
    ServerManagerDialog::Services ServerServices(int* saves, std::string failure = {})
    {
        return ServerManagerDialog::Services {messages, help,
            [](const ServerConnection&) -> ConnectResult {
                return ConnectError {2003, "no"};
            },
            [saves, failure]() -> Result<void> {
                ++*saves;
                if (!failure.empty())
                    return Error {failure};
                return Ok();
            }};
    }

private slots:
    void init()
    {
        messages = test::ScriptedMessages();
        help = test::RecordingHelp();
        files = test::ScriptedFileDialogs();
    }

    void theServerManagerListsProfilesAndNeedsASelection()
    {
        ServerList list;
        int saves = 0;
        ServerManagerDialog empty(list, ServerServices(&saves));
        for (const char* command : {"editServer", "deleteServer", "viewServer", "moveUp", "moveDown"})
            empty.findChild<QAction*>(command)->trigger();
        QCOMPARE(messages.texts(), QStringList(5, "Please choose a server item."));

        list.add(profile("one", 1));
        list.add(profile("two", 0));
        ServerManagerDialog dialog(list, ServerServices(&saves));
        auto* table = child<QTableWidget>(&dialog, "serverList");
        QCOMPARE(table->horizontalHeaderItem(0)->text(), QString("Connection Name"));
        QCOMPARE(table->columnWidth(5), 260);
        QCOMPARE(Row(table, 0), (QStringList {"one", "one.example", "3306", "root", "****", ""}));
        QCOMPARE(Row(table, 1).at(4), QString("NULL"));
        QVERIFY(table->item(0, 2)->textAlignment() & Qt::AlignRight);

        // Moving the first up changes nothing; moving it down swaps without saving.
        table->selectRow(0);
        dialog.moveUp();
        QCOMPARE(list.at(0)->connectionName, std::string("one"));
        dialog.moveDown();
        QCOMPARE(list.at(0)->connectionName, std::string("two"));
        QCOMPARE(table->currentRow(), 1);
        QCOMPARE(Row(table, 0).at(0), QString("two"));
        QCOMPARE(saves, 0);

        // Delete asks, and No keeps the profile.
        messages.clearShown();
        messages.answerNo();
        dialog.deleteServer();
        messages.answerYes();
        dialog.deleteServer();
        QCOMPARE(messages.texts(), QStringList(2, "Are you sure you wish to DELETE the server information now?"));
        QCOMPARE(list.size(), 1u);
        QCOMPARE(table->rowCount(), 1);
        QCOMPARE(saves, 1);

        // A save that fails is told; the change stays in the list for a later save.
        list.add(profile("three", 0));
        ServerManagerDialog failing(list, ServerServices(&saves, "No space left on device"));
        child<QTableWidget>(&failing, "serverList")->selectRow(1);
        messages.clearShown();
        messages.answerYes();
        failing.deleteServer();
        QCOMPARE(messages.lastText(), QString("The server list could not be saved:\nNo space left on device"));
        QCOMPARE(messages.shown.back().icon, Messages::Icon::Error);
        QCOMPARE(list.size(), 1u);
    }

    void addingAProfileSavesTheListAndShowsTheRow()
    {
        ServerList list;
        list.add(profile("one", 1));
        int saves = 0;
        ServerManagerDialog dialog(list, ServerServices(&saves));
        test::onNextModal(
            [](QWidget* profile) {
                child<QLineEdit>(profile, "connectionName")->setText("ONE");
                child<QLineEdit>(profile, "host")->setText("db");
                child<QPushButton>(profile, "ok")->click();
            },
            "kelvanto::ServerProfileDialog");
        dialog.addServer();
        QCOMPARE(list.size(), 2u);
        QCOMPARE(saves, 1);
        auto* table = child<QTableWidget>(&dialog, "serverList");
        QCOMPARE(Row(table, 1).mid(0, 2), (QStringList {"ONE", "db"}));
        QCOMPARE(table->currentRow(), 1);

        // Edit does not check the name against the others; it saves and refreshes the row.
        test::onNextModal(
            [](QWidget* profile) {
                child<QLineEdit>(profile, "connectionName")->setText("one");
                child<QPushButton>(profile, "ok")->click();
            },
            "kelvanto::ServerProfileDialog");
        dialog.editServer();
        QCOMPARE(list.at(1)->connectionName, std::string("one"));
        QCOMPARE(Row(table, 1).at(0), QString("one"));
        QCOMPARE(saves, 2);
        dialog.findChild<QAction*>("help")->trigger();
        QCOMPARE(help.topics, QStringList {"::/introduction/servermanager.html"});
    }

    void theOptionsSheetChecksTheLogSizeWhenThePageIsLeft()
    {
        test::TempDir tmp;
        Options options;
        options.defaultBackupFolder = "/backups/";
        OptionsDialog sheet(options, tmp.path(), messages, help, files);
        auto* pages = child<QTabWidget>(&sheet, "pages");
        pages->setCurrentIndex(1);
        QVERIFY(!child<QLineEdit>(&sheet, "logMaxSize")->isEnabled());
        child<QRadioButton>(&sheet, "logLimited")->setChecked(true);
        QVERIFY(child<QLineEdit>(&sheet, "logMaxSize")->isEnabled());
        struct Attempt
        {
            const char* size;
            bool accepted;
        };
        for (const Attempt& attempt :
            {Attempt {"0", false}, Attempt {"100001", false}, Attempt {"", false}, Attempt {"100000", true}}) {
            child<QLineEdit>(&sheet, "logMaxSize")->setText(attempt.size);
            pages->setCurrentIndex(0);
            QCOMPARE(pages->currentIndex(), attempt.accepted ? 0 : 1);
            pages->setCurrentIndex(1);
        }
        QCOMPARE(messages.texts(), QStringList(3, "Please input the maximum size between 1 and 100000."));

        child<QLineEdit>(&sheet, "logMaxSize")->setText("1");
        files.choose("/srv/dumps");
        child<QPushButton>(&sheet, "browse")->click();
        QCOMPARE(files.asked, QStringList {"folder Select a folder where you want to store the backup files:"});
        child<QPushButton>(&sheet, "ok")->click();
        QCOMPARE(sheet.result(), int(QDialog::Accepted));
        QCOMPARE(sheet.edited().logSizeLimited, std::uint8_t(1));
        QCOMPARE(sheet.edited().logMaxSizeKB, 1);
        QCOMPARE(sheet.edited().defaultBackupFolder, std::string("/srv/dumps/"));
    }

    void theGeneralPageStoresTheLoginTheHotKeyAndTheFormats()
    {
        test::TempDir tmp;
        Options options;
        options.hotKeyCode = 'K';
        options.hotKeyModifiers = 1 | 2; // Shift+Ctrl
        OptionsDialog sheet(options, tmp.path(), messages, help, files);
        auto* hotKey = child<QKeySequenceEdit>(&sheet, "hotKey");
        QCOMPARE(hotKey->keySequence(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_K));
        // A password without a user name is not stored.
        child<QLineEdit>(&sheet, "loginPassword")->setText("secret");
        hotKey->setKeySequence(QKeySequence(Qt::ALT | Qt::Key_F5));
        child<QRadioButton>(&sheet, "dateFormat3")->setChecked(true);
        child<QRadioButton>(&sheet, "timeFormat2")->setChecked(true);
        child<QCheckBox>(&sheet, "noShutdown")->setChecked(true);
        child<QPushButton>(&sheet, "ok")->click();
        const Options& edited = sheet.edited();
        QCOMPARE(edited.loginPassword, std::string());
        QCOMPARE(edited.hotKeyCode, std::uint16_t(0x74));
        QCOMPARE(edited.hotKeyModifiers, std::uint16_t(4));
        QCOMPARE(edited.dateFormat, std::uint8_t(3));
        QCOMPARE(edited.timeFormat, std::uint8_t(2));
        QCOMPARE(edited.noShutdownWhileRunning, std::uint8_t(1));

        // Reset to default on both pages.
        OptionsDialog again(edited, tmp.path(), messages, help, files);
        child<QPushButton>(&again, "resetGeneral")->click();
        child<QPushButton>(&again, "resetBackupLog")->click();
        child<QPushButton>(&again, "ok")->click();
        Options expected = edited;
        ResetGeneralOptions(expected);
        ResetBackupAndLogOptions(expected, tmp.path());
        QVERIFY(again.edited() == expected);
        child<QPushButton>(&again, "help")->click();
        QCOMPARE(help.topics, QStringList {"::/introduction/options.html"});
    }

    void theTipOfTheDayWrapsBothWays()
    {
        QCOMPARE(TipOfTheDayDialog::firstTipAfter(-1), 0);
        QCOMPARE(TipOfTheDayDialog::firstTipAfter(8), 0);
        QCOMPARE(TipOfTheDayDialog::firstTipAfter(3), 4);
        TipOfTheDayDialog dialog(-1, true);
        auto* counter = child<QLabel>(&dialog, "tipCounter");
        QCOMPARE(counter->text(), QString("Tip 1 of 9"));
        dialog.previous();
        QCOMPARE(counter->text(), QString("Tip 9 of 9"));
        QCOMPARE(child<QLabel>(&dialog, "tipText")->text(),
            QString("To restore MySQL databases you should create a scheduled task of Restore."));
        dialog.next();
        QCOMPARE(dialog.shownIndex(), 0);
        QVERIFY(TipOfTheDayDialog::tip(0).contains("Kelvanto Standard Edition " KELVANTO_SHORT_VERSION));
        QCOMPARE(TipOfTheDayDialog::tip(7), QString("\nTo rename a task you should press \"F2\" on keyboard."));
        for (int i = 0; i < TipOfTheDayDialog::kTipCount; ++i)
            QVERIFY(TipOfTheDayDialog::tip(i).startsWith('\n'));
    }

    // Names and server texts go into the translated texts as they are: a "%1" or "%2" in them
    // is not a place for the next value.
    void textsTakeNamesWithPercentSignsAsTheyAre()
    {
        const std::string name = "50%2 %1 off";
        const struct
        {
            const char* what;
            QString text;
            QString expected;
        } cases[] = {
            {"run question", texts::runQuestion(name), "Do you want to RUN the task (50%2 %1 off) immediately?"},
            {"stop question", texts::stopRunningQuestion(name),
                "Do you want to STOP the task (50%2 %1 off -- Running) now?"},
            {"connection failure", texts::connectFailed(1045, "Access denied for '%1'@'%2'"),
                "Failed to connect to the MySQL server!\n\nError NO. 1045\nAccess denied for '%1'@'%2'"},
            {"errors title",
                RunNotifications::titleOf(QString::fromStdString(name), {RunResult::CompletedWithErrors, 3}),
                "50%2 %1 off completed with errors (3)"},
            {"failure title", RunNotifications::titleOf(QString::fromStdString(name), {RunResult::Failed, 0}),
                "50%2 %1 off failed"},
            {"product line", texts::productLine(), "Kelvanto Standard Edition " KELVANTO_SHORT_VERSION},
        };
        for (const auto& c : cases)
            QVERIFY2(c.text == c.expected, qPrintable(QString::fromLatin1(c.what) + ": " + c.text));
    }

    void theAboutBoxOpensItsLinks()
    {
        AboutDialog dialog(help);
        QCOMPARE(
            child<QLabel>(&dialog, "product")->text(), QString("Kelvanto Standard Edition " KELVANTO_SHORT_VERSION));
        // Both links lead to pages of the installed manual, none to an address outside it.
        for (const char* name : {"webSiteLink", "emailLink"}) {
            auto* label = child<QLabel>(&dialog, name);
            const QString href = label->text().section('"', 1, 1);
            QVERIFY2(href.startsWith("::/"), qPrintable(label->text()));
            emit label->linkActivated(href);
        }
        QCOMPARE(help.topics, (QStringList {"::/index.html", "::/support.html#report"}));
        QVERIFY(help.links.isEmpty());
    }

    void theConnectionFailureDialogLeadsToTheHowToPage()
    {
        ConnectionFailureDialog dialog("Failed to connect to the MySQL server!\n\nError NO. 2003\nrefused", help);
        QCOMPARE(dialog.windowTitle(), QString("Kelvanto"));
        QCOMPARE(child<QLabel>(&dialog, "message")->text(),
            QString("Failed to connect to the MySQL server!\n\nError NO. 2003\nrefused"));
        child<QPushButton>(&dialog, "howToConnect")->click();
        QCOMPARE(help.topics, QStringList {"::/howtoconnect.html"});
        QCOMPARE(child<QPushButton>(&dialog, "howToConnect")->text(), QString("&How to connect to a MySQL server"));
    }
};

QTEST_MAIN(DialogsTest)
#include "DialogsTest.moc"
