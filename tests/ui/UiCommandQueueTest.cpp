// Work handed to the user-interface thread by other threads: it runs there, in the order it
// came; a change waits while a modal dialog, a menu or a RunOffUiThread call holds the
// program (a read does not), is dropped unrun when the queue closes, and an exception it
// throws reaches its caller. (A change dropped after waiting too long is tested with the
// window, in DesktopControlTest.)
#include "ui/UiCommandQueue.h"
#include "tests/ui/support/UiTestSupport.h"
#include "ui/BackgroundWork.h"

#include <QDialog>
#include <QMenu>
#include <QtTest>

#include <atomic>
#include <optional>
#include <stdexcept>
#include <thread>

using namespace kelvanto;
using namespace std::chrono_literals;

namespace
{

// One call of UiCommandQueue::Run on a thread of its own.
class Caller
{
public:
    Caller(UiCommandQueue& queue, bool changes, std::function<void()> work)
        : m_work(std::move(work))
        , m_thread([this, &queue, changes] {
            std::optional<Result<void>> result;
            try {
                result.emplace(queue.run(changes, m_work));
            } catch (const std::exception& e) {
                result.emplace(Error {std::string("thrown: ") + e.what()});
            }
            m_result = std::move(result);
            m_done.store(true);
        })
    { }
    ~Caller() { m_thread.join(); }
    Caller(const Caller&) = delete;
    Caller& operator=(const Caller&) = delete;

    bool done() const { return m_done.load(); }
    // After done().
    const Result<void>& Outcome() const { return *m_result; }
    QString message() const { return m_result->ok() ? QString() : QString::fromStdString(m_result->error()); }

private:
    std::function<void()> m_work;
    std::optional<Result<void>> m_result;
    std::atomic<bool> m_done {false};
    std::thread m_thread;
};

enum class Hold {
    ModalDialog,
    Menu,
    WorkOffUiThread,
};

// Keeps the program busy in the way asked while `during` runs on the user-interface thread.
void WhileBusy(Hold hold, const std::function<void()>& during)
{
    switch (hold) {
    case Hold::ModalDialog: {
        QDialog dialog;
        test::onNextModal([&](QWidget* open) {
            during();
            open->close();
        });
        dialog.exec();
        break;
    }
    case Hold::Menu: {
        QMenu menu;
        menu.addAction("Item");
        menu.popup(QPoint(10, 10));
        QTRY_VERIFY(QApplication::activePopupWidget() == &menu);
        during();
        menu.close();
        break;
    }
    case Hold::WorkOffUiThread: {
        std::atomic<bool> release {false};
        QTimer::singleShot(0, [&] {
            during();
            release.store(true);
        });
        runOffUiThread(nullptr, [&] {
            while (!release.load())
                std::this_thread::sleep_for(1ms);
        });
        break;
    }
    }
}

} // namespace

Q_DECLARE_METATYPE(Hold)

class UiCommandQueueTest : public QObject
{
    Q_OBJECT

private slots:
    void workRunsOnTheUiThreadInTheOrderItCame()
    {
        UiCommandQueue queue;
        std::vector<int> order; // written on the user-interface thread only
        bool allOnUiThread = true;
        std::vector<std::unique_ptr<Caller>> callers;
        constexpr int kThreads = 4;
        constexpr int kEach = 25;
        std::atomic<int> finished {0};
        for (int t = 0; t < kThreads; ++t) {
            callers.push_back(std::make_unique<Caller>(queue, t % 2 == 0, [&, t] {
                for (int i = 0; i < kEach; ++i) {
                    allOnUiThread = allOnUiThread && QThread::currentThread() == qApp->thread();
                    order.push_back(t * 1000 + i);
                }
                ++finished;
            }));
        }
        QTRY_COMPARE(finished.load(), kThreads);
        for (const auto& caller : callers) {
            QTRY_VERIFY(caller->done());
            QVERIFY(caller->Outcome().ok());
        }
        QVERIFY(allOnUiThread);
        // Each piece of work ran whole, without another one cutting into it.
        QCOMPARE(order.size(), std::size_t {kThreads * kEach});
        for (std::size_t i = 0; i < order.size(); i += kEach) {
            for (int k = 1; k < kEach; ++k)
                QCOMPARE(order[i + static_cast<std::size_t>(k)], order[i] + k);
        }

        // On the user-interface thread itself the work runs at once.
        bool ran = false;
        QVERIFY(queue.run(true, [&] { ran = true; }).ok());
        QVERIFY(ran);
    }

    void aChangeWaitsWhileTheProgramIsBusyAndAReadDoesNot_data()
    {
        QTest::addColumn<Hold>("hold");
        QTest::newRow("modal dialog") << Hold::ModalDialog;
        QTest::newRow("menu") << Hold::Menu;
        QTest::newRow("work off the user-interface thread") << Hold::WorkOffUiThread;
    }

    void aChangeWaitsWhileTheProgramIsBusyAndAReadDoesNot()
    {
        QFETCH(Hold, hold);
        UiCommandQueue queue;
        bool changed = false;
        bool read = false;
        std::unique_ptr<Caller> change;
        std::unique_ptr<Caller> reader;
        bool changedWhileBusy = true;
        bool readWhileBusy = false;
        WhileBusy(hold, [&] {
            QVERIFY(UiCommandQueue::busy());
            change = std::make_unique<Caller>(queue, true, [&] { changed = true; });
            reader = std::make_unique<Caller>(queue, false, [&] { read = true; });
            QTRY_VERIFY(reader->done());
            readWhileBusy = read;
            QTest::qWait(300);
            changedWhileBusy = changed || change->done();
        });
        QVERIFY(readWhileBusy);
        QVERIFY(!changedWhileBusy);
        QVERIFY(!UiCommandQueue::busy());
        QTRY_VERIFY(change->done());
        QVERIFY(change->Outcome().ok());
        QVERIFY(changed);
    }

    void closingDropsWaitingWorkAndRefusesLaterWork()
    {
        UiCommandQueue queue;
        bool changed = false;
        std::unique_ptr<Caller> change;
        WhileBusy(Hold::ModalDialog, [&] {
            change = std::make_unique<Caller>(queue, true, [&] { changed = true; });
            QTest::qWait(100);
            queue.close();
            QTRY_VERIFY(change->done());
        });
        QCOMPARE(change->message(), QString(UiCommandQueue::kClosingText));
        Caller late(queue, false, [&] { changed = true; });
        QTRY_VERIFY(late.done());
        QCOMPARE(late.message(), QString(UiCommandQueue::kClosingText));
        QTest::qWait(200);
        QVERIFY(!changed);
    }

    void anExceptionReachesTheCaller()
    {
        UiCommandQueue queue;
        Caller failing(queue, true, [] { throw std::runtime_error("no such task"); });
        QTRY_VERIFY(failing.done());
        QCOMPARE(failing.message(), QString("thrown: no such task"));
        Caller next(queue, true, [] {});
        QTRY_VERIFY(next.done());
        QVERIFY(next.Outcome().ok());
    }
};

QTEST_MAIN(UiCommandQueueTest)
#include "UiCommandQueueTest.moc"
