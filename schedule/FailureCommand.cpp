#include "schedule/FailureCommand.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <string_view>
#include <sys/wait.h>
#include <system_error>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace kelvanto
{

namespace
{

constexpr std::chrono::milliseconds kPollInterval {20};
// A status that says neither an exit nor a signal: the child was reaped elsewhere.
constexpr int kUnknownStatus = 0x7f;
// After a stop of the task the command has less time: the stop waits for the worker.
constexpr std::chrono::milliseconds kStopGrace {1000};
constexpr std::array<std::string_view, 4> kReportNames {
    "KELVANTO_TASK=", "KELVANTO_OUTCOME=", "KELVANTO_FIRST_ERROR=", "KELVANTO_LOG="};

// The inherited environment without any variable of the report, then the report's.
std::vector<std::string> EnvironmentWith(const FailureReport& report)
{
    std::vector<std::string> variables;
    for (char** entry = environ; entry && *entry; ++entry) {
        const std::string_view variable(*entry);
        const bool replaced = std::any_of(kReportNames.begin(), kReportNames.end(),
            [variable](std::string_view name) { return variable.starts_with(name); });
        if (!replaced)
            variables.emplace_back(variable);
    }
    // The name and the error are one line each: a line end planted in a task name must not
    // become a second line (a mail header) in what the command writes.
    const auto oneLine = [](std::string text) {
        std::replace_if(
            text.begin(), text.end(), [](char c) { return c == '\n' || c == '\r'; }, ' ');
        return text;
    };
    const std::array<std::string, 4> values {
        oneLine(report.task), oneLine(report.outcome), oneLine(report.firstError), report.log};
    for (std::size_t i = 0; i < kReportNames.size(); ++i)
        variables.push_back(std::string(kReportNames[i]) + values[i]);
    return variables;
}

std::vector<char*> PointersTo(std::vector<std::string>& texts)
{
    std::vector<char*> pointers;
    for (std::string& text : texts)
        pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

// The spawn's settings, released whatever happens.
class SpawnSettings
{
public:
    SpawnSettings()
    {
        posix_spawn_file_actions_init(&actions);
        posix_spawnattr_init(&attributes);
    }
    ~SpawnSettings()
    {
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attributes);
    }
    SpawnSettings(const SpawnSettings&) = delete;
    SpawnSettings& operator=(const SpawnSettings&) = delete;

    // 0, or the error number of the step that failed.
    int Prepare()
    {
        sigset_t none;
        sigemptyset(&none);
        // Signals that this program ignores or handles are the command's to take as usual.
        sigset_t defaults;
        sigemptyset(&defaults);
        for (int signal : {SIGPIPE, SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGCHLD, SIGUSR1, SIGUSR2})
            sigaddset(&defaults, signal);
        const short flags = POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF;
        for (int error : {posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0),
                 posix_spawn_file_actions_adddup2(&actions, STDERR_FILENO, STDOUT_FILENO),
                 posix_spawn_file_actions_addclosefrom_np(&actions, STDERR_FILENO + 1),
                 posix_spawnattr_setflags(&attributes, flags), posix_spawnattr_setpgroup(&attributes, 0),
                 posix_spawnattr_setsigmask(&attributes, &none),
                 posix_spawnattr_setsigdefault(&attributes, &defaults)}) {
            if (error != 0)
                return error;
        }
        return 0;
    }

    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
};

std::string Quoted(const std::string& program)
{
    return "onFailure command \"" + program + "\"";
}

std::string SignalName(int signal)
{
    const char* abbreviation = sigabbrev_np(signal);
    return std::to_string(signal) + (abbreviation ? std::string(" (SIG") + abbreviation + ")" : std::string());
}

// Waits for the child; true and its status once it ended, false when `until` came first.
bool WaitUntil(pid_t pid, std::chrono::steady_clock::time_point until, const std::function<bool()>& stop, int& status)
{
    for (;;) {
        const pid_t ended = waitpid(pid, &status, WNOHANG);
        if (ended == pid)
            return true;
        if (ended < 0 && errno != EINTR) {
            status = kUnknownStatus;
            return true;
        }
        if (std::chrono::steady_clock::now() >= until || (stop && stop()))
            return false;
        std::this_thread::sleep_for(kPollInterval);
    }
}

// SIGTERM to the command's group, SIGKILL after the grace time; reaps the child.
int EndGroup(pid_t pid, std::chrono::milliseconds grace)
{
    int status = 0;
    kill(-pid, SIGTERM);
    if (WaitUntil(pid, std::chrono::steady_clock::now() + grace, nullptr, status))
        return status;
    kill(-pid, SIGKILL);
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) { }
    return status;
}

std::string HowItEnded(int status)
{
    if (WIFEXITED(status))
        return "ended with exit code " + std::to_string(WEXITSTATUS(status));
    if (WIFSIGNALED(status))
        return "was ended by signal " + SignalName(WTERMSIG(status));
    return "ended";
}

} // namespace

FailureCommandEnd RunFailureCommand(const std::vector<std::string>& argv, const FailureReport& report,
    const std::function<bool()>& stopRequested, const FailureCommandLimits& limits)
{
    if (argv.empty() || argv.front().empty())
        return {LogLevel::Warning, "onFailure command could not start: no program is named"};
    const std::string name = Quoted(argv.front());
    std::vector<std::string> arguments = argv;
    std::vector<std::string> environment = EnvironmentWith(report);
    std::vector<char*> argumentPointers = PointersTo(arguments);
    std::vector<char*> environmentPointers = PointersTo(environment);

    SpawnSettings settings;
    pid_t pid = 0;
    int error = settings.Prepare();
    if (error == 0)
        error = posix_spawnp(&pid, argumentPointers[0], &settings.actions, &settings.attributes,
            argumentPointers.data(), environmentPointers.data());
    if (error != 0)
        return {LogLevel::Warning, name + " could not start: " + std::generic_category().message(error)};

    int status = 0;
    const auto deadline = std::chrono::steady_clock::now() + limits.timeLimit;
    if (WaitUntil(pid, deadline, stopRequested, status)) {
        const bool clean = WIFEXITED(status) && WEXITSTATUS(status) == 0;
        return {clean ? LogLevel::General : LogLevel::Warning, name + " " + HowItEnded(status)};
    }
    if (std::chrono::steady_clock::now() < deadline) {
        status = EndGroup(pid, std::min(limits.termGrace, kStopGrace));
        return {LogLevel::Warning, name + " was stopped with the task (it " + HowItEnded(status) + ")"};
    }
    status = EndGroup(pid, limits.termGrace);
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(limits.timeLimit).count();
    const std::string limit
        = seconds > 0 ? std::to_string(seconds) + " s" : std::to_string(limits.timeLimit.count()) + " ms";
    return {
        LogLevel::Warning, name + " did not end within " + limit + " and was stopped (it " + HowItEnded(status) + ")"};
}

} // namespace kelvanto
