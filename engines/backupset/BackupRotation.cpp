#include "engines/backupset/BackupRotation.h"

#include "engines/backup/BackupNaming.h"
#include "engines/backupset/BackupCopyFiles.h"
#include "engines/backupset/BackupManifest.h"
#include "schedule/DateTime.h"

#include <optional>
#include <set>
#include <string>

namespace kelvanto
{

namespace
{

constexpr std::uint8_t kNewFilesMode = 2;

bool Expirable(const BackupRun& run)
{
    return run.fileMode == kNewFilesMode;
}

// The index of the newest entry of a run that succeeded; history.size() when there is none.
std::size_t NewestSucceeded(const std::vector<BackupRun>& history)
{
    for (std::size_t i = history.size(); i > 0; --i) {
        if (history[i - 1].runReserved != kCopyWithErrors)
            return i - 1;
    }
    return history.size();
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
    const std::size_t protectedCopy = NewestSucceeded(history);
    std::vector<BackupRun> expired;
    std::vector<BackupRun> kept;
    for (std::size_t i = 0; i < history.size(); ++i) {
        const bool newest = i + 1 == history.size() || i == protectedCopy;
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
    const std::size_t protectedCopy = NewestSucceeded(history);
    const auto candidate = [&](std::size_t i) { return i != protectedCopy && Expirable(history[i]); };
    std::size_t candidates = 0;
    for (std::size_t i = 0; i < history.size(); ++i)
        candidates += candidate(i) ? 1 : 0;
    // The kept newest succeeded copy takes one of the places the limit leaves.
    const bool keepsPlace = protectedCopy < history.size() && Expirable(history[protectedCopy]);
    const std::size_t places = static_cast<std::size_t>(limit) - (keepsPlace ? 1 : 0);
    if (candidates <= places)
        return {};
    std::size_t toTake = candidates - places;
    std::vector<BackupRun> expired;
    std::vector<BackupRun> kept;
    for (std::size_t i = 0; i < history.size(); ++i) {
        if (toTake > 0 && candidate(i)) {
            expired.push_back(std::move(history[i]));
            --toTake;
        } else {
            kept.push_back(std::move(history[i]));
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

std::size_t DeleteBackupCopies(
    const std::vector<BackupRun>& runs, const std::vector<BackupRun>& kept, const BackupSettings& settings)
{
    // Two entries may name one path (runs made before names were kept apart, a history from
    // elsewhere): the file then belongs to the kept one.
    std::set<std::string> keptPaths;
    for (const BackupRun& run : kept) {
        for (const std::string& file : run.files)
            keptPaths.insert(BackupPathKey(file));
        keptPaths.insert(BackupPathKey(ManifestPathFor(run)));
    }
    const auto deletable
        = [&](const std::string& path) { return !path.empty() && keptPaths.count(BackupPathKey(path)) == 0; };
    // A file field never removes a folder, and a folder field never removes anything but an
    // empty run folder.
    const BackupCopyFiles own(settings);
    std::size_t removed = 0;
    for (const BackupRun& run : runs) {
        for (const std::string& file : run.files) {
            if (deletable(file) && own.DeleteFile(file))
                ++removed;
        }
        // The run's manifest goes with its files.
        if (const std::string manifest = ManifestPathFor(run); deletable(manifest) && own.DeleteFile(manifest))
            ++removed;
    }
    for (const BackupRun& run : runs) {
        if (!run.folder.empty() && own.DeleteRunFolder(run.folder))
            ++removed;
    }
    return removed;
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
    DeleteBackupCopies(expired, history, settings);
    return !expired.empty();
}

void ExpireBackupCopies(RunContext& ctx)
{
    const TimeStamp now = ctx.Now();
    std::vector<BackupRun> expired;
    std::vector<BackupRun> kept;
    BackupSettings settings;
    ctx.UpdateTask([&](Task& task) {
        expired = TakeExpiredCopies(task.backupHistory, task.backupSettings, now);
        if (!expired.empty())
            kept = task.backupHistory;
        settings = task.backupSettings;
    });
    if (expired.empty())
        return;
    const std::size_t removed = DeleteBackupCopies(expired, kept, settings);
    ctx.SaveTaskList();
    if (removed > 0)
        ctx.Log(LogLevel::General, "Delete the expired backup copies");
    else
        ctx.Log(LogLevel::General,
            "The expired backup copies were taken out of the history; none of their files was deleted (gone "
            "already, or not the task's own)");
}

} // namespace kelvanto
