#include "schedule/TaskServer.h"

#include "schedule/Clock.h"
#include "schedule/RunnerShared.h"
#include "schedule/TaskServerOwner.h"
#include "schedule/TaskSlot.h"
#include "schedule/TaskWorker.h"
#include "schedule/WorkerLoop.h"

#include <algorithm>
#include <chrono>
#include <string>
#include <system_error>
#include <thread>
#include <tuple>
#include <utility>

namespace kelvanto
{

namespace
{

// How long a stop waits for the workers to end by themselves, and then after their
// registered connections were cancelled, before a worker is let go.
constexpr std::chrono::milliseconds kStopWait {3000};
constexpr std::chrono::milliseconds kCancelWait {1000};

std::string MakeTaskId(const TimeStamp& now, std::size_t countBefore)
{
    std::string id;
    for (const int part : {now.year, now.month, now.day, now.hour, now.minute, now.second})
        id += std::to_string(part);
    return id + std::to_string(countBefore);
}

// Waits until every worker has ended or `limit` has passed, for all of them together;
// returns those that have not ended.
std::vector<std::shared_ptr<TaskWorker>> WaitForWorkers(
    const std::vector<std::shared_ptr<TaskWorker>>& workers, std::chrono::milliseconds limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    std::vector<std::shared_ptr<TaskWorker>> late;
    for (const std::shared_ptr<TaskWorker>& worker : workers) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (!worker->WaitUntilFinished(std::max(left, std::chrono::milliseconds(0))))
            late.push_back(worker);
    }
    return late;
}

} // namespace

TaskServer::TaskServer(EngineTable engines, std::shared_ptr<Clock> clock, std::shared_ptr<TaskLog> log,
    std::filesystem::path dataFolder, std::function<void()> saveTaskList, std::function<void()> threadExit)
    : m_shared(std::make_shared<RunnerShared>(std::move(engines), std::move(clock), std::move(log),
        std::move(dataFolder), std::move(saveTaskList), std::move(threadExit)))
{ }

TaskServer::~TaskServer()
{
    // From here on an abandoned worker reaches neither the owner nor the program's save.
    m_shared->Close();
    std::lock_guard control(m_controlMutex);
    StopEveryEntry();
    std::vector<Entry> entries;
    {
        std::lock_guard list(m_listMutex);
        entries.swap(m_entries);
    }
}

int TaskServer::StartAll(TaskServerOwner* owner)
{
    if (!owner)
        return kNoOwner;
    std::lock_guard control(m_controlMutex);
    if (m_started)
        return kAlreadyStarted;
    m_shared->SetOwner(owner);
    for (Entry& entry : m_entries)
        StartEntry(entry);
    m_started = true;
    return 0;
}

int TaskServer::StopAll()
{
    std::lock_guard control(m_controlMutex);
    if (!m_started)
        return kNotStarted;
    StopEveryEntry();
    m_started = false;
    m_shared->SetOwner(nullptr);
    std::vector<Entry> removed;
    {
        std::lock_guard list(m_listMutex);
        removed.swap(m_entries);
    }
    return 0;
}

bool TaskServer::IsStarted() const
{
    std::lock_guard control(m_controlMutex);
    return m_started;
}

void TaskServer::StartTask(int index)
{
    std::lock_guard control(m_controlMutex);
    if (Entry* entry = EntryAt(index))
        StartEntry(*entry);
}

void TaskServer::StopTask(int index)
{
    std::lock_guard control(m_controlMutex);
    if (Entry* entry = EntryAt(index))
        StopEntry(*entry);
}

int TaskServer::AddTask(const Task& task)
{
    std::lock_guard control(m_controlMutex);
    const TimeStamp now = m_shared->GetClock().Now();
    std::lock_guard list(m_listMutex);
    Task copy = task;
    copy.taskId = MakeTaskId(now, m_entries.size());
    copy.runNow = 0;
    m_entries.push_back(Entry {std::make_shared<TaskSlot>(std::move(copy)), WorkerHandle()});
    return static_cast<int>(m_entries.size()) - 1;
}

void TaskServer::RemoveTask(int index)
{
    std::lock_guard control(m_controlMutex);
    Entry* entry = EntryAt(index);
    if (!entry)
        return;
    // The caller stops the worker first; one left running would be out of reach for good.
    if (!entry->handle.empty())
        StopEntry(*entry);
    Entry removed;
    {
        std::lock_guard list(m_listMutex);
        removed = std::move(m_entries[static_cast<std::size_t>(index)]);
        m_entries.erase(m_entries.begin() + index);
    }
}

void TaskServer::ReplaceTask(int index, const Task& task)
{
    std::lock_guard control(m_controlMutex);
    if (const std::shared_ptr<TaskSlot> slot = SlotAt(index))
        slot->Change([&](Task& stored) { stored = task; });
}

TaskHandle TaskServer::TaskAt(int index) const
{
    return TaskHandle(SlotAt(index));
}

std::optional<Task> TaskServer::CopyOfTask(int index) const
{
    if (const std::shared_ptr<TaskSlot> slot = SlotAt(index))
        return slot->Copy();
    return std::nullopt;
}

std::vector<Task> TaskServer::CopyOfAllTasks() const
{
    std::vector<std::shared_ptr<TaskSlot>> slots;
    {
        std::lock_guard list(m_listMutex);
        for (const Entry& entry : m_entries)
            slots.push_back(entry.slot);
    }
    std::vector<Task> tasks;
    tasks.reserve(slots.size());
    for (const std::shared_ptr<TaskSlot>& slot : slots)
        tasks.push_back(slot->Copy());
    return tasks;
}

int TaskServer::Count() const
{
    std::lock_guard list(m_listMutex);
    return static_cast<int>(m_entries.size());
}

bool TaskServer::HasWorker(int index) const
{
    std::lock_guard control(m_controlMutex);
    std::lock_guard list(m_listMutex);
    return index >= 0 && static_cast<std::size_t>(index) < m_entries.size()
        && m_entries[static_cast<std::size_t>(index)].handle.Live();
}

int TaskServer::LiveThreadCount() const
{
    return m_shared->liveThreads.load();
}

void TaskServer::SetFailureCommandLimits(const FailureCommandLimits& limits)
{
    m_shared->SetFailureLimits(limits);
}

std::shared_ptr<TaskSlot> TaskServer::SlotAt(int index) const
{
    std::lock_guard list(m_listMutex);
    if (index < 0 || static_cast<std::size_t>(index) >= m_entries.size())
        return nullptr;
    return m_entries[static_cast<std::size_t>(index)].slot;
}

TaskServer::Entry* TaskServer::EntryAt(int index)
{
    // Only the controlling operations change the list, and the caller holds their lock.
    std::lock_guard list(m_listMutex);
    if (index < 0 || static_cast<std::size_t>(index) >= m_entries.size())
        return nullptr;
    return &m_entries[static_cast<std::size_t>(index)];
}

void TaskServer::StartEntry(Entry& entry)
{
    // A worker that ended by itself leaves its thread to be joined here.
    entry.handle.ReapIfEnded();
    if (!entry.handle.empty()) {
        // A waiting worker sees the runNow that the caller has just set at once.
        entry.handle.worker()->Wake();
        return;
    }
    const auto [manual, runNow, type] = entry.slot->With([](const Task& task) {
        return std::tuple(task.schedule.kind == ScheduleKind::Manual, task.runNow, task.type);
    });
    if ((manual && runNow == 0) || !m_shared->EngineFor(type))
        return;

    auto worker = std::make_shared<TaskWorker>();
    entry.slot->SetWriter(worker.get());
    m_shared->liveThreads.fetch_add(1);
    try {
        std::thread thread(&WorkerLoop::Run, entry.slot, worker, m_shared);
        entry.handle = WorkerHandle(std::move(thread), std::move(worker));
    } catch (const std::system_error&) {
        m_shared->liveThreads.fetch_sub(1);
        entry.slot->ReleaseWriter(worker.get());
        const auto [taskId, logFileName] = entry.slot->With([](Task& task) {
            task.runNow = 0;
            task.status = TaskStatus::Stopped;
            return std::pair(task.taskId, task.logFileName);
        });
        m_shared->Log(taskId, logFileName, LogLevel::Error, "Failed to create thread!");
    }
}

void TaskServer::StopEntry(Entry& entry)
{
    StopEntries({&entry});
}

void TaskServer::StopEveryEntry()
{
    std::vector<Entry*> entries;
    for (Entry& entry : m_entries)
        entries.push_back(&entry);
    StopEntries(entries);
}

void TaskServer::StopEntries(const std::vector<Entry*>& entries)
{
    // Every worker is asked first, and the waits below are shared, so that they wind down
    // together: a stop of many costs the time of one.
    std::vector<std::shared_ptr<TaskWorker>> workers;
    for (Entry* entry : entries) {
        if (const std::shared_ptr<TaskWorker>& worker = entry->handle.shared()) {
            worker->RequestQuit();
            workers.push_back(worker);
        }
    }
    std::vector<std::shared_ptr<TaskWorker>> late = WaitForWorkers(workers, kStopWait);
    if (!late.empty()) {
        // A blocking call (a long statement) is broken by cancelling its connection; the
        // workers' connections are cancelled together, each worker's on a thread of its own.
        std::vector<std::jthread> cancels;
        for (const std::shared_ptr<TaskWorker>& worker : late) {
            try {
                cancels.emplace_back([worker] { worker->CancelRegistered(); });
            } catch (const std::system_error&) {
                worker->CancelRegistered();
            }
        }
        cancels.clear();
        WaitForWorkers(late, kCancelWait);
    }
    for (Entry* entry : entries) {
        if (TaskWorker* worker = entry->handle.worker()) {
            // A worker that still lives is let go: from now on it changes nothing in the record.
            entry->slot->ReleaseWriter(worker);
            entry->handle = WorkerHandle();
        }
        entry->slot->With([](Task& task) { task.status = TaskStatus::Stopped; });
    }
}

} // namespace kelvanto
