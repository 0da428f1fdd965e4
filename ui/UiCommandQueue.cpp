#include "ui/UiCommandQueue.h"

#include "ui/BackgroundWork.h"

#include <QApplication>
#include <QThread>

#include <algorithm>

namespace kelvanto
{

namespace
{

// How often waiting changes look whether the program is free again.
constexpr int kRetryMs = 100;

} // namespace

struct UiCommandQueue::Job
{
    enum class State : unsigned char {
        Waiting,
        Running,
        Done,
        Dropped,
    };

    const std::function<void()>* work = nullptr;
    bool changes = false;
    State state = State::Waiting;
    const char* dropReason = nullptr;
    std::exception_ptr failure;
};

UiCommandQueue::UiCommandQueue(std::chrono::milliseconds busyWait, QObject* parent)
    : QObject(parent)
    , m_busyWait(busyWait)
{
    m_retry.setSingleShot(true);
    m_retry.setInterval(kRetryMs);
    connect(&m_retry, &QTimer::timeout, this, &UiCommandQueue::drain);
}

UiCommandQueue::~UiCommandQueue()
{
    close();
}

bool UiCommandQueue::busy()
{
    return QApplication::activeModalWidget() != nullptr || QApplication::activePopupWidget() != nullptr
        || waitingOffUiThread();
}

Result<void> UiCommandQueue::run(bool changes, const std::function<void()>& work)
{
    if (QThread::currentThread() == thread()) {
        work();
        return Ok();
    }
    auto job = std::make_shared<Job>();
    job->work = &work;
    job->changes = changes;
    {
        std::lock_guard lock(m_mutex);
        if (m_closed)
            return Error {kClosingText};
        m_waiting.push_back(job);
    }
    // By name: the call is queued inside Qt, and the job itself goes through the lock.
    QMetaObject::invokeMethod(this, "drain", Qt::QueuedConnection);

    std::unique_lock lock(m_mutex);
    const auto finished = [&] { return job->state == Job::State::Done || job->state == Job::State::Dropped; };
    if (!m_changed.wait_for(lock, m_busyWait, finished) && job->state == Job::State::Waiting) {
        job->state = Job::State::Dropped;
        job->dropReason = kBusyText;
        m_waiting.erase(std::find(m_waiting.begin(), m_waiting.end(), job));
    }
    // Work that began runs to its end (the commands end within seconds).
    m_changed.wait(lock, finished);
    if (job->state == Job::State::Dropped)
        return Error {job->dropReason};
    if (job->failure)
        std::rethrow_exception(job->failure);
    return Ok();
}

void UiCommandQueue::close()
{
    std::lock_guard lock(m_mutex);
    m_closed = true;
    for (const auto& job : m_waiting) {
        job->state = Job::State::Dropped;
        job->dropReason = kClosingText;
    }
    m_waiting.clear();
    m_changed.notify_all();
}

std::shared_ptr<UiCommandQueue::Job> UiCommandQueue::takeRunnable(bool busy)
{
    const auto found
        = std::find_if(m_waiting.begin(), m_waiting.end(), [busy](const auto& job) { return !job->changes || !busy; });
    if (found == m_waiting.end())
        return nullptr;
    auto job = *found;
    m_waiting.erase(found);
    job->state = Job::State::Running;
    return job;
}

void UiCommandQueue::drain()
{
    // Work that opened an event loop of its own must not have the next work run inside it.
    if (m_draining)
        return;
    m_draining = true;
    for (;;) {
        std::shared_ptr<Job> job;
        {
            std::lock_guard lock(m_mutex);
            job = takeRunnable(busy());
            if (!job) {
                if (!m_waiting.empty() && !m_retry.isActive())
                    m_retry.start();
                break;
            }
        }
        try {
            (*job->work)();
        } catch (...) {
            job->failure = std::current_exception();
        }
        std::lock_guard lock(m_mutex);
        job->state = Job::State::Done;
        m_changed.notify_all();
    }
    m_draining = false;
}

} // namespace kelvanto
