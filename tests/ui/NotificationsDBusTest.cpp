// The notifications of the desktop program on a real D-Bus session bus (ctest starts one with
// dbus-run-session): a small org.freedesktop.Notifications service on a connection of its own
// hears one Notify for a failed run, and its ActionInvoked opens the task's log.
#include "app/TaskCommands.h"
#include "tests/ui/support/DesktopHarness.h"
#include "ui/DBusNotifier.h"
#include "ui/MainWindow.h"
#include "ui/TaskLogDialog.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QtTest>

#include <cstdlib>

using namespace kelvanto;
using test::DesktopHarness;

namespace
{

// The notification service as far as the program uses it.
class FakeNotificationService : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    struct Call
    {
        QString app;
        QString summary;
        QString body;
        QStringList actions;
        QVariantMap hints;
    };
    std::vector<Call> calls;

public slots:
    QStringList GetCapabilities()
    {
        return {QStringLiteral("actions"), QStringLiteral("body"), QStringLiteral("body-markup")};
    }
    uint Notify(const QString& app, uint, const QString&, const QString& summary, const QString& body,
        const QStringList& actions, const QVariantMap& hints, int)
    {
        calls.push_back({app, summary, body, actions, hints});
        return static_cast<uint>(calls.size()) + 40;
    }

signals:
    void ActionInvoked(uint id, const QString& action);
    void NotificationClosed(uint id, uint reason);
};

} // namespace

class NotificationsDBusTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<FakeNotificationService> service;
    std::unique_ptr<QDBusConnection> serviceBus;

private slots:
    void initTestCase()
    {
        if (!QDBusConnection::sessionBus().isConnected()) {
            if (std::getenv("CI") != nullptr && std::string(std::getenv("CI")) == "true")
                QFAIL("no D-Bus session bus: run this test under dbus-run-session");
            QSKIP("no D-Bus session bus (ctest runs this test under dbus-run-session)");
        }
        serviceBus = std::make_unique<QDBusConnection>(
            QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("fake-notifications")));
        QVERIFY(serviceBus->isConnected());
        service = std::make_unique<FakeNotificationService>();
        QVERIFY(serviceBus->registerObject(QString::fromLatin1(DBusNotifier::kPath), service.get(),
            QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals));
        QVERIFY(serviceBus->registerService(QString::fromLatin1(DBusNotifier::kService)));
    }

    void cleanupTestCase()
    {
        if (serviceBus) {
            serviceBus->unregisterService(QString::fromLatin1(DBusNotifier::kService));
            serviceBus->unregisterObject(QString::fromLatin1(DBusNotifier::kPath));
        }
        QDBusConnection::disconnectFromBus(QStringLiteral("fake-notifications"));
    }

    void aFailedRunIsOneNotificationOnTheBusAndItsClickOpensTheLog()
    {
        DesktopHarness h;
        h.settings.notifier = nullptr; // the program's own: no tray here, so the bus
        h.writeOptions(DesktopHarness::quietOptions());
        Task ok = DesktopHarness::makeTask("ok");
        Task bad = DesktopHarness::makeTask("<i>bad & co");
        bad.comment = "fails";
        h.writeTasks({ok, bad});
        QCOMPARE(h.start(), DesktopApp::kRunning);

        h.desktop().commands()->RunImmediately({0, 1}, [](const Task&) { return true; });
        QTRY_VERIFY(h.runs->load() == 2);
        QTRY_COMPARE(service->calls.size(), std::size_t {1});
        QTest::qWait(300);
        QCOMPARE(service->calls.size(), std::size_t {1});
        const FakeNotificationService::Call& call = service->calls[0];
        QCOMPARE(call.app, QStringLiteral("Kelvanto"));
        QCOMPARE(call.summary, QStringLiteral("<i>bad & co failed"));
        // The summary is plain text for every service; the body is the first Error line.
        QCOMPARE(call.body, QStringLiteral("Table `t1` cannot be read"));
        QVERIFY(call.actions.contains(QStringLiteral("default")));
        QCOMPARE(call.hints.value(QStringLiteral("urgency")).toInt(), 2);

        QVERIFY(h.window().findChild<TaskLogDialog*>() == nullptr);
        emit service->ActionInvoked(41, QStringLiteral("default"));
        QTRY_VERIFY(h.window().findChild<TaskLogDialog*>() != nullptr);
        QCOMPARE(h.window().findChild<TaskLogDialog*>()->windowTitle(), QStringLiteral("Task Log - <i>bad & co"));
    }

    void markupInTheBodyIsEscapedAndAClosedNotificationIsForgotten()
    {
        service->calls.clear();
        DBusNotifier notifier;
        int clicks = 0;
        notifier.notify(Notification {QStringLiteral("t"), QStringLiteral("a <i>b</i> & c"), false, [&] { ++clicks; }});
        QTRY_COMPARE(service->calls.size(), std::size_t {1});
        QCOMPARE(service->calls[0].body, QStringLiteral("a &lt;i&gt;b&lt;/i&gt; &amp; c"));
        QCOMPARE(service->calls[0].hints.value(QStringLiteral("urgency")).toInt(), 1);
        QTRY_COMPARE(notifier.pending(), std::size_t {1});
        emit service->NotificationClosed(41, 2);
        QTRY_COMPARE(notifier.pending(), std::size_t {0});
        emit service->ActionInvoked(41, QStringLiteral("default"));
        QTest::qWait(200);
        QCOMPARE(clicks, 0);
    }
};

QTEST_MAIN(NotificationsDBusTest)
#include "NotificationsDBusTest.moc"
