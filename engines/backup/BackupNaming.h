#pragma once

#include "model/Result.h"
#include "model/Task.h"
#include "model/TimeStamp.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace kelvanto
{

// "YYYY-MM-DD_HH-MM-SS/" for the run time.
std::string RunFolderName(const TimeStamp& runTime);

// The run folder of a run: RunFolderName when fileMode is 2 and newFolderPerRun is 1, else "".
std::string RunFolderFor(const BackupSettings& settings, const TimeStamp& runTime);

// Creates backupFolder (without its trailing '/') and then, when runFolder is not empty,
// the run folder inside it (mode 0700); one level each, an existing folder is no error and
// keeps its mode. The run folder is made and opened inside the opened backup folder and
// never through a symbolic link; an existing one is used only when it is a real folder of
// the program's user. An Error says which folder is missing or refused.
Result<void> CreateBackupFolders(const BackupSettings& settings, const std::string& runFolder);

// `name` as one path component: the parts between '/' joined, without NUL and without the
// parts "." and "..".
std::string WithoutPathComponents(std::string_view name);

// A name part with CR, LF, TAB and \ / : * ? " < > | removed and white space trimmed.
std::string CleanNamePart(std::string_view text);

// The path of a dump file: singleFilePath for fileMode 1; otherwise backupFolder + runFolder
// + fileNameFormat with %TASKNAME% %HOST% %DATABASE% %TABLE% %DATE% %TIME% expanded
// + ".php" (fileType 2) or ".sql". The name never adds a path component: '/', NUL and the
// components "." and ".." are dropped from the expanded format.
std::string BuildBackupFilePath(const BackupSettings& settings, const std::string& runFolder,
    const std::string& taskName, const ServerConnection& connection, const std::string& database,
    const std::string& table, const TimeStamp& runTime);

// The path of a dump file with "_<number>" put before its extension (".sql" or ".php", and the
// ".zst" or ".gz" of compression after it): "shop_2024-06-01_2.sql.zst". A run gives a file
// such a name when its plain name is taken (see BackupFileNames); rotation's patterns take
// it as the plain name (StripNameNumber).
std::string NumberedBackupFilePath(const std::string& path, unsigned number);

// A name (without its extension) with the "_<number>" that NumberedBackupFilePath puts in
// taken off: a number from 2 up, without leading zeros. nullopt when the name has none.
std::optional<std::string_view> StripNameNumber(std::string_view stem);

// A path as runs and rotation compare the names of backup files: lexically normal, ASCII
// letters in lower case, so that two names that only a file system ignoring case would take
// for one are one name here.
std::string BackupPathKey(const std::string& path);

// The placeholders that the format lacks to give every file of a run a name of its own, for
// the task's layout and the number of databases it backs up: "%DATABASE%" (a file per
// database or per table, more than one database) and "%TABLE%" (a file per table), joined
// by " and "; empty when it lacks none or the task writes "always the same file".
std::string MissingNamePlaceholders(const BackupSettings& settings, std::size_t databases);

// The Warning line of a run whose format lacks MissingNamePlaceholders; empty when it lacks none.
std::string MissingPlaceholdersWarning(const BackupSettings& settings, std::size_t databases);

// The destination database of a copy into another database: `name` with %TASKNAME%, %HOST%
// (both without any '.', '\\' or '/' and trimmed), %DATABASE%, %DATE% (year-MM-DD) and %TIME%
// (HH-MM-SS) replaced.
std::string ExpandDestinationDatabaseName(const std::string& name, const std::string& taskName,
    const std::string& sourceHost, const std::string& database, const TimeStamp& runTime);

} // namespace kelvanto
