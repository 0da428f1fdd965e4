// What the program asks of the desktop: the hot key's mapping, the shutdown inhibitor, the
// manual's pages for the help topics, the single-instance socket and the global key grab.
#include "tests/support/TempDir.h"
#include "ui/DesktopHelpOpener.h"
#include "ui/GlobalHotKey.h"
#include "ui/HotKeyMapping.h"
#include "ui/ProductLinks.h"
#include "ui/ShutdownInhibitor.h"
#include "ui/SingleInstance.h"
#include "ui/TerminationWatcher.h"

#include <QtTest>

#include <csignal>
#include <fstream>

#include <fcntl.h>
#include <unistd.h>

using namespace kelvanto;

Q_DECLARE_METATYPE(kelvanto::HotKey)

class DesktopServicesTest : public QObject
{
    Q_OBJECT

private slots:
    void hotKeysMapBothWays_data()
    {
        QTest::addColumn<HotKey>("stored");
        QTest::addColumn<QKeySequence>("sequence");
        QTest::addColumn<qulonglong>("keySym");
        QTest::addColumn<uint>("x11Modifiers");

        QTest::newRow("default Ctrl+Alt+M")
            << HotKey {77, 6} << QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_M) << qulonglong(0x6d) << uint(4 | 8);
        QTest::newRow("Shift+F12") << HotKey {0x7B, 1} << QKeySequence(Qt::SHIFT | Qt::Key_F12) << qulonglong(0xFFC9)
                                   << uint(1);
        QTest::newRow("Super+9") << HotKey {'9', 8} << QKeySequence(Qt::META | Qt::Key_9) << qulonglong(0x39)
                                 << uint(64);
        QTest::newRow("keypad 5") << HotKey {0x65, 2}
                                  << QKeySequence(QKeyCombination(Qt::ControlModifier | Qt::KeypadModifier, Qt::Key_5))
                                  << qulonglong(0xFFB5) << uint(4);
        QTest::newRow("Ctrl+Alt+Delete") << HotKey {0x2E, 6} << QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_Delete)
                                         << qulonglong(0xFFFF) << uint(12);
        QTest::newRow("Alt+comma") << HotKey {0xBC, 4} << QKeySequence(Qt::ALT | Qt::Key_Comma) << qulonglong(0x2C)
                                   << uint(8);
        QTest::newRow("Ctrl+Shift+Space")
            << HotKey {0x20, 3} << QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Space) << qulonglong(0x20) << uint(5);
    }

    void hotKeysMapBothWays()
    {
        QFETCH(HotKey, stored);
        QFETCH(QKeySequence, sequence);
        QFETCH(qulonglong, keySym);
        QFETCH(uint, x11Modifiers);
        QCOMPARE(hotKeyToSequence(stored), sequence);
        const auto back = sequenceToHotKey(sequence);
        QVERIFY(back.has_value());
        QVERIFY(*back == stored);
        QCOMPARE(qulonglong(hotKeyKeySym(stored.code)), keySym);
        QCOMPARE(hotKeyX11Modifiers(stored.modifiers), x11Modifiers);
    }

    void keysWithoutACodeAreNotStored()
    {
        QVERIFY(!sequenceToHotKey(QKeySequence(Qt::CTRL | Qt::Key_Eacute)).has_value());
        QVERIFY(*sequenceToHotKey(QKeySequence()) == (HotKey {0, 0}));
        QVERIFY(hotKeyToSequence(HotKey {0, 6}).isEmpty());
        QCOMPARE(hotKeyKeySym(0x07), 0ul);
    }

    // Offscreen there is no X11 display: the key is only stored, nothing is grabbed.
    void withoutAnX11DisplayNothingIsGrabbed()
    {
        GlobalHotKey hotKey;
        QVERIFY(!GlobalHotKey::available());
        QVERIFY(!hotKey.registerKey(HotKey {77, 6}));
        QVERIFY(!hotKey.isRegistered());
    }

    void theInhibitorHoldsALockOnlyWhileWanted()
    {
        int taken = 0;
        int fds[2] = {-1, -1};
        ShutdownInhibitor inhibitor([&] {
            ++taken;
            if (::pipe(fds) != 0)
                return UniqueFd();
            ::close(fds[1]);
            return UniqueFd(fds[0]);
        });
        inhibitor.update(false);
        QCOMPARE(taken, 0);
        inhibitor.update(true);
        inhibitor.update(true);
        QCOMPARE(taken, 1);
        QVERIFY(inhibitor.held());
        inhibitor.update(false);
        QVERIFY(!inhibitor.held());
        QVERIFY(::fcntl(fds[0], F_GETFD) == -1); // closed: logind lets the shutdown go

        // Where logind cannot be reached nothing is held and nothing is retried every second.
        int attempts = 0;
        ShutdownInhibitor unreachable([&] {
            ++attempts;
            return UniqueFd();
        });
        unreachable.update(true);
        unreachable.update(true);
        QCOMPARE(attempts, 1);
        QVERIFY(!unreachable.held());
    }

    void topicsMapToPagesBelowTheManualOnly()
    {
        test::TempDir tmp;
        const QString first = QString::fromStdString((tmp.path() / "first").string());
        const QString second = QString::fromStdString((tmp.path() / "second").string());
        std::filesystem::create_directories(tmp.path() / "second" / "introduction");
        std::filesystem::create_directories(tmp.path() / "first");
        std::ofstream(tmp.path() / "second" / "introduction" / "tasklog.html") << "<html></html>";
        std::ofstream(tmp.path() / "first" / "index.html") << "<html></html>";
        std::ofstream(tmp.path() / "secret.html") << "<html></html>";
        const QStringList folders {first, second};
        QCOMPARE(
            DesktopHelpOpener::pageFor(folders, "::/introduction/tasklog.html"), second + "/introduction/tasklog.html");
        QCOMPARE(DesktopHelpOpener::pageFor(folders, "::/index.html"), first + "/index.html");
        QCOMPARE(DesktopHelpOpener::pageFor(folders, "::/../secret.html"), QString());
        QCOMPARE(DesktopHelpOpener::pageFor(folders, "::/introduction/../../secret.html"), QString());
        QCOMPARE(DesktopHelpOpener::pageFor(folders, "::/missing.html"), QString());
    }

    // Every topic the program opens, and the wizard's, is a page of the shipped manual.
    void everyTopicHasAPageInTheManual()
    {
        const QStringList folders {QString::fromLocal8Bit(qgetenv("KELVANTO_SOURCE_DIR")) + "/docs/manual"};
        QStringList topics {"::/index.html", "::/introduction/tasklog.html", "::/introduction/servermanager.html",
            "::/introduction/options.html", "::/introduction/userlogin.html", "::/howtoconnect.html",
            "::/taskwizard/choosetasktype.html", "::/taskwizard/backupfilesettings.html",
            "::/taskwizard/backupsettings.html", links::kWebSite, links::kSupportPage, links::kSupportEmail};
        for (int type = 1; type <= 8; ++type)
            topics << QString("::/taskwizard/tasktype%1.html").arg(type);
        for (const QString& topic : topics)
            QVERIFY2(!DesktopHelpOpener::pageFor(folders, topic).isEmpty(), qPrintable(topic));
    }

    // SIGTERM (the end of a session without a session manager, a shutdown) becomes a signal
    // on the user-interface thread, so that the program saves and stops in order.
    void aTerminationSignalReachesTheEventLoop()
    {
        TerminationWatcher watcher;
        QSignalSpy requested(&watcher, &TerminationWatcher::terminationRequested);
        ::raise(SIGTERM);
        QTRY_COMPARE(requested.count(), 1);
        ::raise(SIGHUP);
        QTRY_COMPARE(requested.count(), 2);
    }

    void theInstanceSocketIsPerUserAndDataFolder()
    {
        const QString a = SingleInstance::socketName("/home/u/.local/share/kelvanto");
        QCOMPARE(SingleInstance::socketName("/home/u/.local/share/kelvanto/"), a);
        QVERIFY(SingleInstance::socketName("/srv/kelvanto") != a);
        QVERIFY(a.contains(QString("__Kelvanto__kelvanto_2006_SE__%1-").arg(getuid())));
        QVERIFY(a.toUtf8().size() < 100); // fits a socket address
        QVERIFY(!SingleInstance::askRunningToShow(a + ".nobody", 100));
    }
};

QTEST_MAIN(DesktopServicesTest)
#include "DesktopServicesTest.moc"
