#include "engines/BackupRotation.h"

#include "schedule/DateTime.h"

#include <optional>

#include <unistd.h>

namespace kelvanto
{

namespace
{

constexpr std::uint8_t kNewFilesMode = 2;

bool Expirable(const BackupRun& run)
{
    return run.fileMode == kNewFilesMode;
}

// Whole days from the run's time to now, truncated toward zero; nullopt for a time that
// is no valid date (such an entry is kept).
std::optional<std::int64_t> AgeInDays(const BackupRun& run, const DateTime& now)
{
    const DateTime time = DateTime::FromParts(run.year, run.month, run.day, run.hour, run.minute, run.second);
    if (!time.IsValid() || !now.IsValid())
        return std::nullopt;
    return now.WholeDaysSince(time);
}

std::vector<BackupRun> TakeByAge(std::vector<BackupRun>& history, std::int32_t limit, const TimeStamp& nowStamp)
{
    const DateTime now = DateTime::FromTimeStamp(nowStamp);
    std::vector<BackupRun> expired;
    std::vector<BackupRun> kept;
    for (std::size_t i = 0; i < history.size(); ++i) {
        const bool newest = i + 1 == history.size();
        const auto age = AgeInDays(history[i], now);
        if (!newest && Expirable(history[i]) && age && *age >= limit)
            expired.push_back(std::move(history[i]));
        else
            kept.push_back(std::move(history[i]));
    }
    history = std::move(kept);
    return expired;
}

std::vector<BackupRun> TakeByCount(std::vector<BackupRun>& history, std::int32_t limit)
{
    std::size_t candidates = 0;
    for (const BackupRun& run : history)
        candidates += Expirable(run) ? 1 : 0;
    if (candidates <= static_cast<std::size_t>(limit))
        return {};
    std::size_t toTake = candidates - static_cast<std::size_t>(limit);
    std::vector<BackupRun> expired;
    std::vector<BackupRun> kept;
    for (BackupRun& run : history) {
        if (toTake > 0 && Expirable(run)) {
            expired.push_back(std::move(run));
            --toTake;
        } else {
            kept.push_back(std::move(run));
        }
    }
    history = std::move(kept);
    return expired;
}

} // namespace

std::vector<BackupRun> TakeExpiredCopies(
    std::vector<BackupRun>& history, const BackupSettings& settings, const TimeStamp& now)
{
    if (settings.autoDeleteLimit < 1)
        return {};
    if (settings.autoDelete == 1)
        return TakeByAge(history, settings.autoDeleteLimit, now);
    if (settings.autoDelete == 2)
        return TakeByCount(history, settings.autoDeleteLimit);
    return {};
}

void DeleteBackupCopies(const std::vector<BackupRun>& runs)
{
    // unlink and rmdir: a file field never removes a folder, and a folder field never
    // removes anything but an empty folder.
    for (const BackupRun& run : runs) {
        for (const std::string& file : run.files) {
            if (!file.empty())
                ::unlink(file.c_str());
        }
    }
    for (const BackupRun& run : runs) {
        if (!run.folder.empty())
            ::rmdir(run.folder.c_str());
    }
}

TimeStamp NextCopyExpiry(const std::vector<BackupRun>& history, const BackupSettings& settings)
{
    if (settings.autoDelete != 1 || settings.autoDeleteLimit < 1 || history.empty())
        return TimeStamp {};
    std::optional<DateTime> next;
    for (std::size_t i = 0; i + 1 < history.size(); ++i) {
        const BackupRun& run = history[i];
        const DateTime time = DateTime::FromParts(run.year, run.month, run.day, run.hour, run.minute, run.second);
        if (!Expirable(run) || !time.IsValid())
            continue;
        const DateTime expiry = time.AddDays(settings.autoDeleteLimit);
        if (expiry.IsValid() && (!next || expiry < *next))
            next = expiry;
    }
    return next ? next->ToTimeStamp() : TimeStamp {};
}

bool DeleteExpiredCopies(std::vector<BackupRun>& history, const BackupSettings& settings, const TimeStamp& now)
{
    const std::vector<BackupRun> expired = TakeExpiredCopies(history, settings, now);
    DeleteBackupCopies(expired);
    return !expired.empty();
}

void ExpireBackupCopies(RunContext& ctx)
{
    const TimeStamp now = ctx.Now();
    std::vector<BackupRun> expired;
    ctx.UpdateTask([&](Task& task) { expired = TakeExpiredCopies(task.backupHistory, task.backupSettings, now); });
    if (expired.empty())
        return;
    DeleteBackupCopies(expired);
    ctx.SaveTaskList();
    ctx.Log(LogLevel::General, "Delete the expired backup copies");
}

} // namespace kelvanto
