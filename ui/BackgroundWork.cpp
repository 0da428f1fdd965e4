#include "ui/BackgroundWork.h"

#include "mysql/MySqlLibrary.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QPointer>
#include <QWidget>

#include <thread>

namespace kelvanto
{

namespace
{

// Keeps a busy dialog open: a close request waits until the work is done.
class CloseBlocker : public QObject
{
public:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Close) {
            event->ignore();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }
};

// Disables the busy widget and shows the wait cursor for as long as it lives.
class BusyState
{
public:
    explicit BusyState(QWidget* busy)
        : m_busy(busy)
        , m_wasEnabled(busy && busy->isEnabled())
    {
        if (m_busy) {
            m_busy->installEventFilter(&m_blocker);
            m_busy->setEnabled(false);
        }
        QApplication::setOverrideCursor(Qt::WaitCursor);
    }
    ~BusyState()
    {
        QApplication::restoreOverrideCursor();
        if (m_busy) {
            m_busy->removeEventFilter(&m_blocker);
            m_busy->setEnabled(m_wasEnabled);
        }
    }
    BusyState(const BusyState&) = delete;
    BusyState& operator=(const BusyState&) = delete;

private:
    QPointer<QWidget> m_busy;
    bool m_wasEnabled;
    CloseBlocker m_blocker;
};

// RunOffUiThread calls waiting on the user-interface thread (they nest).
int g_waiting = 0;

// Counts one waiting call for as long as it lives.
class Waiting
{
public:
    Waiting() { ++g_waiting; }
    ~Waiting() { --g_waiting; }
    Waiting(const Waiting&) = delete;
    Waiting& operator=(const Waiting&) = delete;
};

} // namespace

bool waitingOffUiThread()
{
    return g_waiting > 0;
}

void runOffUiThread(QWidget* busy, const std::function<void()>& work)
{
    Waiting waiting;
    // Before any thread that may connect starts (it does nothing the second time).
    InitMySqlLibrary();
    BusyState state(busy);
    QEventLoop loop;
    std::thread worker([&] {
        work();
        EndMySqlThread();
        // Queued: the loop may not be running yet; it quits as soon as it sees the call.
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec();
    worker.join();
}

} // namespace kelvanto
