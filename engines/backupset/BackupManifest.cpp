#include "engines/backupset/BackupManifest.h"

#include "model/JsonNesting.h"
#include "model/Version.h"

#include <nlohmann/json.hpp>

#include <cstdio>

namespace kelvanto
{

namespace
{

using Json = nlohmann::ordered_json;

constexpr std::string_view kManifestSuffix = ".manifest.json";

std::string TimeText(const TimeStamp& time)
{
    char text[32] = {};
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", time.year, time.month, time.day, time.hour,
        time.minute, time.second);
    return text;
}

bool ParseTime(const Json& value, TimeStamp& time)
{
    if (!value.is_string())
        return false;
    const std::string text = value.get<std::string>();
    return std::sscanf(text.c_str(), "%d-%d-%d %d:%d:%d", &time.year, &time.month, &time.day, &time.hour, &time.minute,
               &time.second)
        == 6;
}

// The readers below take only what has the expected type, so that a hostile file fails
// with a line instead of an exception.
bool GetText(const Json& object, const char* key, std::string& out)
{
    const auto found = object.find(key);
    if (found == object.end() || !found->is_string())
        return false;
    out = found->get<std::string>();
    return true;
}

bool GetCount(const Json& object, const char* key, std::uint64_t& out)
{
    const auto found = object.find(key);
    if (found == object.end() || !found->is_number_unsigned())
        return false;
    out = found->get<std::uint64_t>();
    return true;
}

// A list of texts, absent in older manifests; false when it is there but not all texts.
bool GetTextList(const Json& object, const char* key, std::vector<std::string>& out)
{
    const auto found = object.find(key);
    if (found == object.end())
        return true;
    if (!found->is_array())
        return false;
    for (const Json& item : *found) {
        if (!item.is_string())
            return false;
        out.push_back(item.get<std::string>());
    }
    return true;
}

} // namespace

std::string BackupManifest::ToJson() const
{
    Json json;
    json["format"] = format;
    json["program"] = "Kelvanto";
    json["programVersion"] = programVersion;
    json["taskId"] = taskId;
    json["taskName"] = taskName;
    json["serverVersion"] = serverVersion;
    if (!layout.empty())
        json["layout"] = layout;
    json["started"] = TimeText(started);
    json["ended"] = TimeText(ended);
    if (binlog)
        json["binlog"] = {{"file", binlog->file}, {"position", binlog->position}};
    else
        json["binlog"] = nullptr;
    json["checksum"]
        = {{"rows", "sum modulo 2^64 of XXH3-64 of each row as rendered in the dump"}, {"timeZone", timeZone}};
    Json fileList = Json::array();
    for (const File& file : files)
        fileList.push_back({{"name", file.name}, {"size", file.size}, {"sha256", file.sha256},
            {"compression", file.compression}, {"databases", file.databases}, {"contents", file.contents}});
    json["files"] = std::move(fileList);
    Json tableList = Json::array();
    for (const Table& table : tables)
        tableList.push_back({{"database", table.database}, {"table", table.table}, {"rows", table.rows},
            {"checksum", table.checksum}, {"characterSet", table.characterSet}, {"file", table.file}});
    json["tables"] = std::move(tableList);
    json["databases"] = databases;
    Json objectList = Json::array();
    for (const Object& object : objects)
        objectList.push_back({{"kind", object.kind}, {"database", object.database}, {"name", object.name},
            {"checksum", object.checksum}});
    json["objects"] = std::move(objectList);
    if (verification) {
        json["verification"]
            = {{"passed", verification->passed}, {"server", verification->server}, {"failure", verification->failure},
                {"firstDifferingTable", verification->firstDifferingTable}, {"seconds", verification->seconds}};
    }
    // Names from a server may hold any byte: invalid UTF-8 is replaced rather than refused.
    return json.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

Result<BackupManifest> BackupManifest::FromJson(std::string_view text)
{
    if (JsonNestedBeyond(text, kMaxJsonDepth))
        return Error {"the manifest nests arrays and objects too deep"};
    const Json json = Json::parse(text.begin(), text.end(), nullptr, false);
    if (json.is_discarded() || !json.is_object())
        return Error {"the manifest is not a JSON object"};
    BackupManifest manifest;
    const auto format = json.find("format");
    if (format == json.end() || !format->is_number_integer() || format->get<int>() != kFormat)
        return Error {"the manifest has an unknown format"};
    GetText(json, "programVersion", manifest.programVersion);
    GetText(json, "taskId", manifest.taskId);
    GetText(json, "taskName", manifest.taskName);
    GetText(json, "serverVersion", manifest.serverVersion);
    GetText(json, "layout", manifest.layout);
    if (!ParseTime(json.value("started", Json()), manifest.started)
        || !ParseTime(json.value("ended", Json()), manifest.ended))
        return Error {"the manifest has no valid start and end times"};
    if (const auto binlog = json.find("binlog"); binlog != json.end() && binlog->is_object()) {
        BinlogPosition position;
        if (GetText(*binlog, "file", position.file) && GetCount(*binlog, "position", position.position))
            manifest.binlog = position;
    }
    const auto files = json.find("files");
    if (files == json.end() || !files->is_array())
        return Error {"the manifest has no list of files"};
    for (const Json& entry : *files) {
        File file;
        if (!entry.is_object() || !GetText(entry, "name", file.name) || !GetCount(entry, "size", file.size)
            || !GetText(entry, "sha256", file.sha256))
            return Error {"the manifest has a file entry without a name, size or SHA-256"};
        GetText(entry, "compression", file.compression);
        if (!GetTextList(entry, "databases", file.databases) || !GetTextList(entry, "contents", file.contents))
            return Error {"the manifest has a file entry whose databases or contents are not lists of names"};
        manifest.files.push_back(std::move(file));
    }
    if (const auto tables = json.find("tables"); tables != json.end() && tables->is_array()) {
        for (const Json& entry : *tables) {
            Table table;
            if (!entry.is_object() || !GetText(entry, "database", table.database)
                || !GetText(entry, "table", table.table) || !GetCount(entry, "rows", table.rows)
                || !GetText(entry, "checksum", table.checksum))
                return Error {"the manifest has a table entry without a name, row count or checksum"};
            GetText(entry, "characterSet", table.characterSet);
            GetText(entry, "file", table.file);
            manifest.tables.push_back(std::move(table));
        }
    }
    // Manifests written before these members existed have none of them.
    if (const auto databases = json.find("databases"); databases != json.end() && databases->is_array()) {
        for (const Json& entry : *databases) {
            if (!entry.is_string())
                return Error {"the manifest has a database that is not a text"};
            manifest.databases.push_back(entry.get<std::string>());
        }
    }
    if (const auto objects = json.find("objects"); objects != json.end() && objects->is_array()) {
        for (const Json& entry : *objects) {
            Object object;
            if (!entry.is_object() || !GetText(entry, "kind", object.kind)
                || !GetText(entry, "database", object.database) || !GetText(entry, "name", object.name)
                || !GetText(entry, "checksum", object.checksum))
                return Error {"the manifest has an object entry without a kind, name or checksum"};
            manifest.objects.push_back(std::move(object));
        }
    }
    if (const auto verification = json.find("verification"); verification != json.end() && verification->is_object()) {
        Verification read;
        const auto passed = verification->find("passed");
        if (passed == verification->end() || !passed->is_boolean())
            return Error {"the manifest's verification has no outcome"};
        read.passed = passed->get<bool>();
        GetText(*verification, "server", read.server);
        GetText(*verification, "failure", read.failure);
        GetText(*verification, "firstDifferingTable", read.firstDifferingTable);
        GetCount(*verification, "seconds", read.seconds);
        manifest.verification = std::move(read);
    }
    return manifest;
}

std::string ManifestPathFor(const std::string& firstFile)
{
    if (firstFile.empty())
        return {};
    return firstFile + std::string(kManifestSuffix);
}

std::string ManifestPathFor(const BackupRun& run)
{
    return run.files.empty() ? std::string() : ManifestPathFor(run.files.front());
}

std::string_view ProgramVersion()
{
    return KELVANTO_VERSION;
}

} // namespace kelvanto
