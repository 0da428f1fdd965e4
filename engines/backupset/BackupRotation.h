#pragma once

#include "model/Task.h"
#include "model/TimeStamp.h"
#include "schedule/RunContext.h"

#include <cstddef>
#include <vector>

namespace kelvanto
{

// The runReserved value of a history entry whose run completed with errors (its files are
// whole, but some object is missing from them); 0 marks a copy of a run that succeeded.
inline constexpr std::uint8_t kCopyWithErrors = 1;

// Takes the expired entries out of the history and returns them, oldest first, touching
// no file. autoDelete 1: entries at least autoDeleteLimit whole days old; autoDelete 2: all
// but the newest autoDeleteLimit entries. Only entries recorded with fileMode 2 expire (a
// same-file entry names the file that the latest run wrote), the newest entry of the
// history never expires by age, the newest entry of a run that succeeded never expires
// (copies with errors do not count toward the kept ones), and a limit below 1 expires nothing.
std::vector<BackupRun> TakeExpiredCopies(
    std::vector<BackupRun>& history, const BackupSettings& settings, const TimeStamp& now);

// Deletes the files of the runs that BackupCopyFiles allows for the task's settings (its
// own dumps inside its backup folder) and their manifests, then removes each run folder that
// is left empty. A path that an entry of `kept` also names (a file or its manifest, compared
// without regard to ASCII case) is never deleted: it holds a copy that is kept. Failures are
// ignored (a file already gone, refused or locked is left). Returns how many files and
// folders were removed.
std::size_t DeleteBackupCopies(
    const std::vector<BackupRun>& runs, const std::vector<BackupRun>& kept, const BackupSettings& settings);

// TakeExpiredCopies and DeleteBackupCopies (of the expired entries, the history left kept)
// in one; true when entries were removed.
bool DeleteExpiredCopies(std::vector<BackupRun>& history, const BackupSettings& settings, const TimeStamp& now);

// The local time at which the next entry of the history expires by age (the moment it is
// autoDeleteLimit whole days old), by the rules of TakeExpiredCopies; no time (year 0) when
// no entry can expire by age.
TimeStamp NextCopyExpiry(const std::vector<BackupRun>& history, const BackupSettings& settings);

// Applies the expiry to the stored task (the history changes under ctx.UpdateTask, the
// files are deleted outside it); when entries were taken out, saves the task list and logs
// "Delete the expired backup copies" when files or folders were deleted, or a line saying
// that none was (their files were gone already, or not the task's own to delete).
void ExpireBackupCopies(RunContext& ctx);

} // namespace kelvanto
