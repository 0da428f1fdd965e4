// The profile dialog: its checks in order, the password switch, the view mode, and Test
// connection off the user-interface thread with its two outcomes.
#include "ui/ServerProfileDialog.h"

#include "tests/support/FakeConnection.h"
#include "tests/ui/support/ScriptedMessages.h"
#include "tests/ui/support/UiTestSupport.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QtTest>

#include <atomic>
#include <chrono>
#include <thread>

using namespace kelvanto;
using test::child;

namespace
{

ServerList ListWithProd()
{
    ServerList list;
    ServerConnection prod;
    prod.connectionName = "Prod";
    list.add(prod);
    return list;
}

Connector Refusing()
{
    return [](const ServerConnection&) -> ConnectResult { return ConnectError {2003, "Can't connect to server"}; };
}

} // namespace

class ServerProfileDialogTest : public QObject
{
    Q_OBJECT

private slots:
    void checksRunInOrderOnOk_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("host");
        QTest::addColumn<QString>("port");
        QTest::addColumn<bool>("savePassword");
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("message"); // empty: accepted

        QTest::newRow("no name") << "new"
                                 << ""
                                 << ""
                                 << "" << false << ""
                                 << ""
                                 << "Please input the Connection Name.";
        QTest::newRow("no host") << "new"
                                 << "a"
                                 << ""
                                 << "0" << false << ""
                                 << ""
                                 << "Please input the Host name or IP address.";
        QTest::newRow("port 0") << "new"
                                << "a"
                                << "h"
                                << "0" << false << ""
                                << ""
                                << "Please input a number between 1 and 65535.";
        QTest::newRow("port empty") << "new"
                                    << "a"
                                    << "h"
                                    << "" << false << ""
                                    << ""
                                    << "Please input a number between 1 and 65535.";
        QTest::newRow("port 65536") << "new"
                                    << "a"
                                    << "h"
                                    << "65536" << false << ""
                                    << ""
                                    << "Please input a number between 1 and 65535.";
        QTest::newRow("no user") << "new"
                                 << "a"
                                 << "h"
                                 << "65535" << true << ""
                                 << "pw"
                                 << "Please input the username.";
        QTest::newRow("no password") << "new"
                                     << "a"
                                     << "h"
                                     << "1" << true << "u"
                                     << ""
                                     << "Please input the password.";
        QTest::newRow("name taken") << "new"
                                    << "Prod"
                                    << "h"
                                    << "3306" << false << ""
                                    << ""
                                    << "The connection name already exists!";
        QTest::newRow("name differs in case") << "new"
                                              << "prod"
                                              << "h"
                                              << "3306" << false << ""
                                              << ""
                                              << "";
        QTest::newRow("edit keeps its name") << "edit"
                                             << "Prod"
                                             << "h"
                                             << "3306" << true << "u"
                                             << "pw"
                                             << "";
    }

    void checksRunInOrderOnOk()
    {
        QFETCH(QString, mode);
        QFETCH(QString, name);
        QFETCH(QString, host);
        QFETCH(QString, port);
        QFETCH(bool, savePassword);
        QFETCH(QString, user);
        QFETCH(QString, password);
        QFETCH(QString, message);

        test::ScriptedMessages messages;
        const ServerList list = ListWithProd();
        ServerProfileDialog dialog(mode == "new" ? ServerProfileDialog::Mode::New : ServerProfileDialog::Mode::Edit,
            ServerConnection {}, list, messages, Refusing());
        child<QLineEdit>(&dialog, "connectionName")->setText(name);
        child<QLineEdit>(&dialog, "host")->setText(host);
        child<QLineEdit>(&dialog, "port")->setText(port);
        child<QCheckBox>(&dialog, "savePassword")->setChecked(savePassword);
        child<QLineEdit>(&dialog, "user")->setText(user);
        child<QLineEdit>(&dialog, "password")->setText(password);
        dialog.show();
        QTest::mouseClick(child<QPushButton>(&dialog, "ok"), Qt::LeftButton);

        if (message.isEmpty()) {
            QCOMPARE(messages.shown.size(), 0u);
            QCOMPARE(dialog.result(), int(QDialog::Accepted));
            QCOMPARE(QString::fromStdString(dialog.profile().connectionName), name);
            QCOMPARE(dialog.profile().password, savePassword ? password.toStdString() : std::string());
        } else {
            QCOMPARE(messages.shown.size(), 1u);
            QCOMPARE(messages.shown[0].text, message);
            QVERIFY(messages.shown[0].icon == Messages::Icon::Warning);
            QVERIFY(dialog.isVisible());
        }
    }

    void clearingSavePasswordEmptiesAndDisablesThePassword()
    {
        test::ScriptedMessages messages;
        ServerConnection profile;
        profile.savePassword = 1;
        profile.password = "secret";
        profile.port = 70000;
        ServerProfileDialog dialog(ServerProfileDialog::Mode::Edit, profile, ServerList {}, messages, Refusing());
        auto* password = child<QLineEdit>(&dialog, "password");
        QCOMPARE(password->text(), QString("secret"));
        QCOMPARE(child<QLineEdit>(&dialog, "port")->text(), QString("3306"));
        child<QCheckBox>(&dialog, "savePassword")->setChecked(false);
        QVERIFY(password->text().isEmpty());
        QVERIFY(!password->isEnabled());
        // The spin control and the field follow each other.
        child<QSpinBox>(&dialog, "portSpin")->stepUp();
        QCOMPARE(child<QLineEdit>(&dialog, "port")->text(), QString("3307"));
        // They are one control with one tab stop: Tab goes from the host to the port and on to
        // the user; Up and Page Down in the field step the number.
        auto nextTabStop = [&](QWidget* from) {
            QWidget* next = from->nextInFocusChain();
            while (next != from && !((next->focusPolicy() & Qt::TabFocus) && next->isVisibleTo(&dialog)))
                next = next->nextInFocusChain();
            return next;
        };
        dialog.show();
        auto* port = child<QLineEdit>(&dialog, "port");
        QCOMPARE(nextTabStop(child<QLineEdit>(&dialog, "host")), port);
        QCOMPARE(nextTabStop(port), child<QWidget>(&dialog, "user"));
        QTest::keyClick(port, Qt::Key_Up);
        QCOMPARE(port->text(), QString("3308"));
        QTest::keyClick(port, Qt::Key_PageDown);
        QCOMPARE(port->text(), QString("3298"));
    }

    void viewModeDisablesEverythingAndOkOnlyCloses()
    {
        test::ScriptedMessages messages;
        ServerConnection profile;
        profile.host = ""; // would fail the checks
        ServerProfileDialog dialog(ServerProfileDialog::Mode::View, profile, ServerList {}, messages, Refusing());
        for (const char* name : {"connectionName", "host", "port", "portSpin", "user", "savePassword", "password",
                 "useCompression", "useSsl"})
            QVERIFY2(!child<QWidget>(&dialog, name)->isEnabled(), name);
        dialog.show();
        QTest::mouseClick(child<QPushButton>(&dialog, "ok"), Qt::LeftButton);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(messages.shown.size(), 0u);
    }

    // The connector blocks until a timer of the user-interface thread lets it go: were the
    // connect made on that thread, the timer could never fire.
    void testConnectionRunsOffTheUserInterfaceThread()
    {
        test::ScriptedMessages messages;
        std::atomic<bool> released {false};
        std::atomic<bool> sawWaitCursor {false};
        std::atomic<bool> sawDisabled {false};
        auto connector = [&](const ServerConnection& settings) -> ConnectResult {
            const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
            while (!released.load() && std::chrono::steady_clock::now() < end)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            if (!released.load())
                return ConnectError {1, "the user-interface thread was blocked"};
            if (settings.host == "refused")
                return ConnectError {2003, "Can't connect to MySQL server on 'refused'"};
            return std::make_unique<test::FakeConnection>(100611, "10.6.11-MariaDB-fake");
        };
        ServerProfileDialog dialog(
            ServerProfileDialog::Mode::New, ServerConnection {}, ServerList {}, messages, connector);
        dialog.show();
        QTimer release;
        connect(&release, &QTimer::timeout, this, [&] {
            sawWaitCursor = QApplication::overrideCursor() && QApplication::overrideCursor()->shape() == Qt::WaitCursor;
            sawDisabled = !dialog.isEnabled();
            released = true;
        });
        release.setSingleShot(true);
        release.start(20);
        QTest::mouseClick(child<QPushButton>(&dialog, "testConnection"), Qt::LeftButton);
        QVERIFY(sawWaitCursor.load());
        QVERIFY(sawDisabled.load());
        QVERIFY(dialog.isEnabled());
        QVERIFY(!QApplication::overrideCursor());
        QCOMPARE(messages.shown.size(), 1u);
        QCOMPARE(messages.shown[0].text,
            QString("Successfully connected to the MySQL server!\n\nMySQL version: "
                    "10.6.11-MariaDB-fake"));
        QVERIFY(messages.shown[0].icon == Messages::Icon::Information);

        child<QLineEdit>(&dialog, "host")->setText("refused");
        release.start(20);
        released = false;
        QTest::mouseClick(child<QPushButton>(&dialog, "testConnection"), Qt::LeftButton);
        QCOMPARE(messages.shown.size(), 2u);
        QVERIFY(messages.shown[1].kind == test::ScriptedMessages::Shown::Kind::ConnectionFailure);
        QCOMPARE(messages.shown[1].text,
            QString("Failed to connect to the MySQL server!\n\nError NO. 2003\n"
                    "Can't connect to MySQL server on 'refused'"));
        QVERIFY(dialog.isVisible());
    }

    void testConnectionChecksHostAndPortFirst()
    {
        test::ScriptedMessages messages;
        int connects = 0;
        auto connector = [&](const ServerConnection&) -> ConnectResult {
            ++connects;
            return ConnectError {1, "x"};
        };
        ServerProfileDialog dialog(
            ServerProfileDialog::Mode::New, ServerConnection {}, ServerList {}, messages, connector);
        child<QLineEdit>(&dialog, "port")->setText("0");
        QTest::mouseClick(child<QPushButton>(&dialog, "testConnection"), Qt::LeftButton);
        child<QLineEdit>(&dialog, "host")->clear();
        QTest::mouseClick(child<QPushButton>(&dialog, "testConnection"), Qt::LeftButton);
        QCOMPARE(messages.texts(),
            (QStringList {"Please input a number between 1 and 65535.", "Please input the Host name or IP address."}));
        QCOMPARE(connects, 0);
    }
};

QTEST_MAIN(ServerProfileDialogTest)
#include "ServerProfileDialogTest.moc"
