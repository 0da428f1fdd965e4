#pragma once

#include "model/Result.h"

#include <QObject>
#include <QTimer>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>

namespace kelvanto
{

// Hands work from other threads (the control socket's connections) to the user-interface
// thread and waits until it is done there. Work that only reads runs as soon as the thread
// gets to it. Work that changes things runs only while the program is free: no modal dialog
// or open menu (a dialog works on the rows and the tasks as they were when it opened), no
// RunOffUiThread call waiting. Until then it waits its turn, in the order it came, for at
// most `busyWait`; after that it is dropped without running and the caller is told why.
// The caller never waits for ever, and the user-interface thread never waits for a caller.
class UiCommandQueue : public QObject
{
    Q_OBJECT

public:
    static constexpr std::chrono::milliseconds kDefaultBusyWait = std::chrono::seconds(30);
    static constexpr const char* kBusyText
        = "kelvanto did not carry the request out: a dialog is open in its window (close it and try again)";
    static constexpr const char* kClosingText = "kelvanto did not carry the request out: it is closing";

    explicit UiCommandQueue(std::chrono::milliseconds busyWait = kDefaultBusyWait, QObject* parent = nullptr);
    // close()s.
    ~UiCommandQueue() override;
    UiCommandQueue(const UiCommandQueue&) = delete;
    UiCommandQueue& operator=(const UiCommandQueue&) = delete;

    // Runs `work` on the user-interface thread and returns when it is done (an exception
    // it threw is thrown again here), or returns an Error when it was dropped unrun. Called
    // on the user-interface thread itself, it runs the work at once.
    Result<void> run(bool changes, const std::function<void()>& work);

    // On the user-interface thread: every waiting caller, and every later one, gets an
    // Error at once; no work runs any more.
    void close();

    // True while the user-interface thread is in the middle of something that a change must
    // not cut into: a modal dialog or a menu is open, or a RunOffUiThread call waits.
    static bool busy();

private:
    struct Job;

    // On the user-interface thread: runs the work that may run now, and looks again later
    // while changes wait for the program to be free.
    Q_INVOKABLE void drain();
    // The first waiting job that may run now (under the lock), taken off the queue.
    std::shared_ptr<Job> takeRunnable(bool busy);

    const std::chrono::milliseconds m_busyWait;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::shared_ptr<Job>> m_waiting;
    bool m_closed = false;
    bool m_draining = false; // on the user-interface thread only
    QTimer m_retry;
};

} // namespace kelvanto
