// What waiting workers cost and how fast a run request is served, on the real clock.
//
//   runner_idle [seconds per measurement, default 30] [rounds, default 3] [largest count, default 10000]
//
// For 100, 1000 and 10,000 started daily tasks that wait (due in about twelve hours), per
// round: the CPU time of the whole process (getrusage) over the measurement, as a percentage
// of one core, its resident memory (VmRSS) and threads, and the time StopAll takes to end
// every worker (the quit). Each figure is printed as the median of the rounds, with its
// smallest and largest value. Then, with 1000 tasks waiting, the time from Run Immediately
// (runNow = 1, StartTask) on a waiting task and on a stopped Manual task to its "Running..."
// line being written, the median of 15 requests.
#include "schedule/Clock.h"
#include "schedule/TaskLog.h"
#include "schedule/TaskServer.h"
#include "schedule/TaskServerOwner.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <string>
#include <sys/resource.h>
#include <thread>
#include <vector>

namespace
{

using namespace kelvanto;
using Steady = std::chrono::steady_clock;

double CpuSeconds()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
        + static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Wakes the benchmark when a task has written its "Running..." line.
class RunningWatcher : public TaskServerOwner
{
public:
    void TaskLogWritten(const std::string& taskId, LogLevel, std::string_view message) override
    {
        if (message != "Running...")
            return;
        {
            std::lock_guard lock(m_mutex);
            m_lastRunning = taskId;
            m_at = Steady::now();
        }
        m_changed.notify_all();
    }
    // The time at which taskId wrote "Running..."; waits up to 10 s.
    Steady::time_point WaitFor(const std::string& taskId)
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait_for(lock, std::chrono::seconds(10), [&] { return m_lastRunning == taskId; });
        m_lastRunning.clear();
        return m_at;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::string m_lastRunning;
    Steady::time_point m_at;
};

Task WaitingTask(int n)
{
    Task task;
    task.name = "task" + std::to_string(n);
    task.type = TaskType::ExecuteScript;
    task.logFileName = task.name + ".log";
    // Daily, half a day from now: every task waits for its next run, none is due.
    std::time_t now = std::time(nullptr);
    std::tm local {};
    localtime_r(&now, &local);
    task.schedule.kind = ScheduleKind::EveryDay;
    task.schedule.hour = (local.tm_hour + 12) % 24;
    task.schedule.minute = n % 60;
    return task;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// A field of /proc/self/status in kB (VmRSS) or as a count (Threads); -1 when missing.
long StatusField(const std::string& name)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(name + ":", 0) == 0)
            return std::atol(line.c_str() + name.size() + 1);
    }
    return -1;
}

// "median (smallest, largest)".
std::string Figures(const std::vector<double>& values, const char* format)
{
    const std::string pattern = std::string(format) + " (" + format + ", " + format + ")";
    char text[160];
    std::snprintf(text, sizeof text, pattern.c_str(), Median(values), *std::min_element(values.begin(), values.end()),
        *std::max_element(values.begin(), values.end()));
    return text;
}

} // namespace

int main(int argc, char** argv)
{
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 30;
    std::string pattern = (std::filesystem::temp_directory_path() / "kelvanto-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        return 1;
    const std::filesystem::path folder = pattern;

    auto clock = std::make_shared<SystemClock>();
    auto log = std::make_shared<TaskLog>(folder / "Logs", clock);
    EngineTable engines;
    engines[TaskType::ExecuteScript] = Engine {[](RunContext& context) {
                                                   context.Log(LogLevel::General, "Finished");
                                                   return RunOutcome::Finished;
                                               },
        {}};
    RunningWatcher watcher;

    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    const int largest = argc > 3 ? std::max(100, std::atoi(argv[3])) : 10000;
    std::printf("%d s per measurement, %d rounds; medians (smallest, largest)\n", seconds, rounds);
    for (const int count : {100, 1000, largest}) {
        std::vector<double> cpuShares;
        std::vector<double> rssMegabytes;
        std::vector<double> threads;
        std::vector<double> quitSeconds;
        for (int round = 0; round < rounds; ++round) {
            auto server = std::make_unique<TaskServer>(
                engines, clock, log, folder, [] {}, [] {});
            for (int i = 0; i < count; ++i)
                server->AddTask(WaitingTask(i));
            if (server->StartAll(&watcher) != 0)
                return 1;
            // Lets every worker reach its wait.
            while (server->CopyOfTask(count - 1)->status != TaskStatus::Waiting)
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
            std::this_thread::sleep_for(std::chrono::seconds(1));
            const double cpuBefore = CpuSeconds();
            const auto wallBefore = Steady::now();
            std::this_thread::sleep_for(std::chrono::seconds(seconds));
            const double cpu = CpuSeconds() - cpuBefore;
            const double wall = std::chrono::duration<double>(Steady::now() - wallBefore).count();
            cpuShares.push_back(100.0 * cpu / wall);
            rssMegabytes.push_back(static_cast<double>(StatusField("VmRSS")) / 1024.0);
            threads.push_back(static_cast<double>(StatusField("Threads")));

            if (count == 1000 && round == 0) {
                Task manualTask = WaitingTask(count);
                manualTask.schedule.kind = ScheduleKind::Manual;
                const int manual = server->AddTask(manualTask);
                for (const bool waiting : {true, false}) {
                    const int index = waiting ? count / 2 : manual;
                    const std::string taskId = server->CopyOfTask(index)->taskId;
                    std::vector<double> latencies;
                    for (int trial = 0; trial < 15; ++trial) {
                        std::this_thread::sleep_for(std::chrono::milliseconds(137));
                        const auto asked = Steady::now();
                        server->TaskAt(index).SetRunNow(1);
                        server->StartTask(index);
                        const auto running = watcher.WaitFor(taskId);
                        latencies.push_back(std::chrono::duration<double, std::milli>(running - asked).count());
                    }
                    std::printf("Run Immediately on a %s task: median %.2f ms (max %.2f ms)\n",
                        waiting ? "waiting" : "stopped Manual", Median(latencies),
                        *std::max_element(latencies.begin(), latencies.end()));
                }
            }
            const auto quitBefore = Steady::now();
            server->StopAll();
            server.reset();
            quitSeconds.push_back(std::chrono::duration<double>(Steady::now() - quitBefore).count());
        }
        std::printf("%5d waiting tasks: CPU %s%% of one core, RSS %s MB, threads %s, quit %s s\n", count,
            Figures(cpuShares, "%.3f").c_str(), Figures(rssMegabytes, "%.1f").c_str(), Figures(threads, "%.0f").c_str(),
            Figures(quitSeconds, "%.2f").c_str());
        std::fflush(stdout);
    }
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    return 0;
}
