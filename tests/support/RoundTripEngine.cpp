#include "tests/support/RoundTripEngine.h"

#include "engines/backup/BackupToFiles.h"
#include "engines/backupset/BackupManifest.h"
#include "engines/copy/ServerCopy.h"
#include "engines/io/FileDigest.h"
#include "mysql/MySqlLibrary.h"
#include "mysql/OpenConnection.h"
#include "tests/support/RoundTrip.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

namespace kelvanto::test
{

std::string EngineDump::errors() const
{
    std::string text;
    for (const auto& line : log) {
        if (line.level == LogLevel::Error)
            text += line.text + "\n";
    }
    return text;
}

std::string EngineDump::logText() const
{
    std::string text;
    for (const auto& line : log)
        text += line.text + "\n";
    return text;
}

std::vector<TableItem> ListObjectsForTask(const TestServerAddress& server, const std::string& database)
{
    std::string output;
    RunMariadbClient(server,
        "SELECT TABLE_TYPE = 'VIEW', HEX(TABLE_NAME) FROM information_schema.TABLES WHERE TABLE_SCHEMA = "
        "CONVERT("
            + HexLiteral(database) + " USING utf8mb4) ORDER BY TABLE_TYPE = 'VIEW', TABLE_NAME;\n",
        &output);
    std::vector<TableItem> tables;
    std::istringstream stream(output);
    for (std::string line; std::getline(stream, line);) {
        const auto tab = line.find('\t');
        if (tab == std::string::npos)
            continue;
        TableItem item;
        item.checkState = 2;
        item.kind = line.substr(0, tab) == "1" ? 2 : 1;
        item.database = database;
        const std::string hex = line.substr(tab + 1);
        for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
            item.name += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
        tables.push_back(item);
    }
    return tables;
}

Task MakeDumpTask(const TestServerAddress& source, const std::string& database, std::vector<TableItem> tables,
    const std::filesystem::path& folder, int fileSplit, bool multiRowInsert, int fileType)
{
    Task task;
    task.name = "Round trip";
    task.type = TaskType::BackupToFiles;
    task.source.host = source.host;
    task.source.port = source.port;
    task.source.user = source.user;
    task.source.password = source.password;
    BackupSettings& settings = task.backupSettings;
    settings.fileType = static_cast<std::uint8_t>(fileType);
    settings.fileMode = 2;
    settings.fileSplit = static_cast<std::uint8_t>(fileSplit);
    settings.backupFolder = folder.string() + "/";
    settings.fileNameFormat = fileSplit == 3 ? "%HOST%_%DATABASE%_%TABLE%_%DATE%_%TIME%"
        : fileSplit == 2                     ? "%HOST%_%DATABASE%_%DATE%_%TIME%"
                                             : "%HOST%_%DATE%_%TIME%";
    settings.multiRowInsert = multiRowInsert ? 1 : 0;
    DatabaseItem item;
    item.checkState = 2;
    item.name = database;
    item.tables = std::move(tables);
    task.databases.push_back(std::move(item));
    return task;
}

EngineDump RunDumpEngine(const Task& task, const std::filesystem::path& dataFolder)
{
    return RunDumpEngine(task, dataFolder, MakeMariaDbConnector());
}

EngineDump RunDumpEngine(const Task& task, const std::filesystem::path& dataFolder, const Connector& connector)
{
    FileSink files;
    return RunDumpEngine(task, dataFolder, connector, files);
}

EngineDump RunDumpEngine(
    const Task& task, const std::filesystem::path& dataFolder, const Connector& connector, FileSink& sink)
{
    InitMySqlLibrary();
    FakeRunContext context(task, dataFolder);
    EngineDump dump;
    dump.outcome = RunBackupToFiles(context, connector, sink);
    dump.log = context.LogLines();
    const Task after = context.task();
    if (!after.backupHistory.empty()) {
        dump.run = after.backupHistory.back();
        dump.files = dump.run.files;
    }
    return dump;
}

Task MakeCopyTask(TaskType type, const TestServerAddress& source, const TestServerAddress& destination,
    std::vector<DatabaseItem> databases)
{
    Task task;
    task.name = "Copy";
    task.type = type;
    for (auto [settings, server] : {std::pair {&task.source, &source}, std::pair {&task.destination, &destination}}) {
        settings->host = server->host;
        settings->port = server->port;
        settings->user = server->user;
        settings->password = server->password;
    }
    task.databases = std::move(databases);
    return task;
}

Connector ZonedConnector(std::map<int, std::string> zoneByPort)
{
    return [real = MakeMariaDbConnector(), zones = std::move(zoneByPort)](
               const ServerConnection& settings, const ConnectControl& control) {
        ConnectResult result = real(settings, control);
        auto* connection = std::get_if<std::unique_ptr<Connection>>(&result);
        if (auto zone = zones.find(settings.port); zone != zones.end() && connection && *connection)
            (*connection)->Query("SET time_zone = '" + zone->second + "'");
        return result;
    };
}

EngineDump RunCopyEngine(const Task& task, const Connector& connector)
{
    InitMySqlLibrary();
    FakeRunContext context(task);
    EngineDump run;
    run.outcome = RunServerCopy(context, connector);
    run.log = context.LogLines();
    return run;
}

std::string ManifestDigestMismatches(const BackupRun& run)
{
    const std::string path = ManifestPathFor(run);
    std::ifstream in(path, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const Result<BackupManifest> manifest = BackupManifest::FromJson(text);
    if (!manifest)
        return path + ": no readable manifest: " + manifest.error() + "\n";
    if (manifest->files.empty())
        return path + ": lists no file\n";
    std::string lines;
    for (const auto& file : manifest->files) {
        const std::string filePath = (std::filesystem::path(path).parent_path() / file.name).string();
        const Result<FileDigest> read = DigestFile(filePath);
        if (!read)
            lines += filePath + ": " + read.error() + "\n";
        else if (read->size != file.size || read->sha256 != file.sha256)
            lines += filePath + ": the manifest says " + std::to_string(file.size) + " bytes " + file.sha256
                + ", the file has " + std::to_string(read->size) + " bytes " + read->sha256 + "\n";
    }
    return lines;
}

} // namespace kelvanto::test
