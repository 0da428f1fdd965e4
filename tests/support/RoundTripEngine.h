#pragma once

#include "engines/io/FileSink.h"
#include "model/Task.h"
#include "mysql/Connection.h"
#include "schedule/RunContext.h"
#include "tests/support/FakeRunContext.h"
#include "tests/support/TestServer.h"

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace kelvanto::test
{

// What one run of the backup-to-files engine left behind.
struct EngineDump
{
    RunOutcome outcome = RunOutcome::Failed;
    std::vector<std::string> files; // the run's files in creation order (its history entry)
    BackupRun run; // the history entry itself, when the run made one
    std::vector<LogLine> log;
    std::vector<RunProgress> progress; // every report, in order

    // The log's error lines, one per line, for failure messages; empty when there were none.
    std::string errors() const;
    std::string logText() const;
};

// Every table and view of `database` as a task lists them: base tables first, then views,
// each in name order, all chosen. Views come last so that a file per table can be restored
// in creation order (a view needs its tables).
std::vector<TableItem> ListObjectsForTask(const TestServerAddress& server, const std::string& database);

// A manual "Backup to SQL/PHP files" task of one database on `source`, writing new files
// into `folder` with the given split (1 one file, 2 per database, 3 per table); names carry
// the database and table so that no two files of a run collide.
Task MakeDumpTask(const TestServerAddress& source, const std::string& database, std::vector<TableItem> tables,
    const std::filesystem::path& folder, int fileSplit, bool multiRowInsert, int fileType = 1);

// Runs the engine once on the task with the real MariaDB connector (or the given one),
// writing through its own file sink (or the given one).
EngineDump RunDumpEngine(const Task& task, const std::filesystem::path& dataFolder);
EngineDump RunDumpEngine(const Task& task, const std::filesystem::path& dataFolder, const Connector& connector);
EngineDump RunDumpEngine(
    const Task& task, const std::filesystem::path& dataFolder, const Connector& connector, FileSink& sink);

// Where the manifest of a recorded backup run disagrees with the files read back now: one
// line per file whose size or SHA-256 differs or that cannot be read, or a line saying that
// the manifest is missing, unreadable or lists no file; empty when they agree.
std::string ManifestDigestMismatches(const BackupRun& run);

// A manual copy task of the given type (2, 3, 7 or 8) from `source` to `destination` with the
// given databases and default settings.
Task MakeCopyTask(TaskType type, const TestServerAddress& source, const TestServerAddress& destination,
    std::vector<DatabaseItem> databases);

// A connector that opens real sessions and puts each in the time zone its server's port is
// mapped to (a server whose own zone that is), others left as they are.
Connector ZonedConnector(std::map<int, std::string> zoneByPort);

// Runs the copy engine once on the task with the given connector; files stays empty.
EngineDump RunCopyEngine(const Task& task, const Connector& connector);

} // namespace kelvanto::test
