#pragma once

#include "model/Result.h"
#include "model/Task.h"
#include "model/TimeStamp.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelvanto
{

// The manifest of one backup run (a JSON file beside the run's files, see the README): what
// the run wrote and what was in it, written last, so that its presence marks a whole run.
struct BackupManifest
{
    static constexpr int kFormat = 1;

    struct File
    {
        std::string name; // in the manifest's own folder
        std::uint64_t size = 0;
        std::string sha256; // of the bytes on disk
        std::string compression; // "none", "zstd" or "gzip", by the file's first bytes
        // The databases whose objects the file holds, and the kinds of those objects
        // (kContentKinds), each in the order the backup first wrote it. Both are empty in a
        // manifest written before they were recorded.
        std::vector<std::string> databases;
        std::vector<std::string> contents;

        bool Described() const { return !databases.empty() && !contents.empty(); }
    };
    // The kinds of objects a file may hold, as the manifest names them.
    static constexpr std::string_view kTables = "tables";
    static constexpr std::string_view kRows = "rows";
    static constexpr std::string_view kViews = "views";
    static constexpr std::string_view kRoutines = "routines";
    static constexpr std::string_view kTriggers = "triggers";
    static constexpr std::string_view kEvents = "events";
    static constexpr std::string_view kSequences = "sequences";
    struct Table
    {
        std::string database;
        std::string table;
        std::uint64_t rows = 0;
        std::string checksum; // RowTally's text
        std::string characterSet; // of the session the rows were rendered in; "" = default
        // The name of the file that holds the table's rows, in the manifest's folder; empty
        // in a manifest written before it was recorded.
        std::string file;
    };
    // A trigger, stored function or procedure, or event, by its definition.
    struct Object
    {
        std::string kind; // "trigger", "function", "procedure" or "event"
        std::string database;
        std::string name;
        std::string checksum; // ObjectChecksum's text
    };
    // The outcome of restoring the run's files into another server and comparing them.
    struct Verification
    {
        bool passed = false;
        std::string server; // the verification server, as the log names it
        std::string failure; // why it failed; empty when it passed
        std::string firstDifferingTable; // "database.table"; empty when no table differed
        std::uint64_t seconds = 0;
    };
    struct BinlogPosition
    {
        std::string file;
        std::uint64_t position = 0;
    };

    // How the run laid its tables out in files; kNoLayout in a manifest written before it
    // was recorded.
    static constexpr std::string_view kNoLayout = "";
    static constexpr std::string_view kOneFile = "one file";
    static constexpr std::string_view kFilePerDatabase = "file per database";
    static constexpr std::string_view kFilePerTable = "file per table";

    int format = kFormat;
    std::string programVersion;
    std::string taskId;
    std::string taskName;
    std::string serverVersion;
    TimeStamp started;
    TimeStamp ended;
    std::string timeZone = "+00:00"; // of the session the rows were rendered in
    std::string layout; // kOneFile, kFilePerDatabase, kFilePerTable or kNoLayout
    // The position of the run's consistent snapshot, when the run took one.
    std::optional<BinlogPosition> binlog;
    std::vector<File> files;
    std::vector<Table> tables;
    // The databases the run wrote, tables or not, and the stored programs it carried.
    std::vector<std::string> databases;
    std::vector<Object> objects;
    // Present when the run was verified by a restore.
    std::optional<Verification> verification;

    std::string ToJson() const;
    // The error says what is wrong with the text (not JSON, another format, a field missing).
    static Result<BackupManifest> FromJson(std::string_view text);
};

// Where the manifest of a run goes: beside the run's first file, named after it
// ("<first file>.manifest.json"), so that runs of different tasks in one folder never share
// a manifest. Empty for a run with no file.
std::string ManifestPathFor(const std::string& firstFile);

// The manifest path of a recorded run (by the history entry's first file).
std::string ManifestPathFor(const BackupRun& run);

// The program version that manifests record.
std::string_view ProgramVersion();

} // namespace kelvanto
