#include "cli/TaskJson.h"

#include "cli/TaskJsonShortcuts.h"

#include <nlohmann/json.hpp>

#include <array>
#include <cstdint>
#include <limits>
#include <optional>
#include <set>
#include <type_traits>
#include <vector>

namespace kelvanto
{

namespace
{

using Json = nlohmann::ordered_json;

template <class S, class T>
concept Is = std::is_same_v<std::remove_const_t<S>, T>;

// The fields of every record, in the order of the task list file. One list serves the
// writer and the reader, so the two can never disagree about a name.

template <class V, Is<TimeStamp> S>
void Fields(V& v, S& s)
{
    v.Field("year", s.year);
    v.Field("month", s.month);
    v.Field("day", s.day);
    v.Field("hour", s.hour);
    v.Field("minute", s.minute);
    v.Field("second", s.second);
    v.Field("dayOfWeek", s.dayOfWeek);
}

template <class V, Is<ServerConnection> S>
void Fields(V& v, S& s)
{
    v.Field("connectionName", s.connectionName);
    v.Field("host", s.host);
    v.Field("port", s.port);
    v.Field("user", s.user);
    v.Field("password", s.password);
    v.Field("database", s.database);
    v.Field("comment", s.comment);
    v.Field("savePassword", s.savePassword);
    v.Field("useCompression", s.useCompression);
    v.Field("useSsl", s.useSsl);
    v.Field("reserved", s.reserved);
}

template <class V, Is<ExportSettings> S>
void Fields(V& v, S& s)
{
    v.Field("fileType", s.fileType);
    v.Field("directory", s.directory);
    v.Field("fieldsTerminatedBy", s.fieldsTerminatedBy);
    v.Field("fieldsEnclosedBy", s.fieldsEnclosedBy);
    v.Field("fieldsEscapedBy", s.fieldsEscapedBy);
    v.Field("linesTerminatedBy", s.linesTerminatedBy);
    v.Field("columnNamesOnTop", s.columnNamesOnTop);
}

template <class V, Is<TableItem> S>
void Fields(V& v, S& s)
{
    v.Field("checkState", s.checkState);
    v.Field("kind", s.kind);
    v.Field("database", s.database);
    v.Field("name", s.name);
}

template <class V, Is<DatabaseItem> S>
void Fields(V& v, S& s)
{
    v.Field("checkState", s.checkState);
    v.Field("name", s.name);
    v.Field("tables", s.tables);
}

template <class V, Is<BackupSettings> S>
void Fields(V& v, S& s)
{
    v.Field("exportStructure", s.exportStructure);
    v.Field("exportRecords", s.exportRecords);
    v.Field("lockTables", s.lockTables);
    v.Field("flushTables", s.flushTables);
    v.Field("quoteNames", s.quoteNames);
    v.Field("setConnectionCharset", s.setConnectionCharset);
    v.Field("allNewTables", s.allNewTables);
    v.Field("allNewDatabases", s.allNewDatabases);
    v.Field("flushLogs", s.flushLogs);
    v.Field("reserved9", s.reserved9);
    v.Field("addCreateDatabase", s.addCreateDatabase);
    v.Field("addLockTables", s.addLockTables);
    v.Field("addDropTable", s.addDropTable);
    v.Field("addDeleteAll", s.addDeleteAll);
    v.Field("addSetNames", s.addSetNames);
    v.Field("completeInsert", s.completeInsert);
    v.Field("insertDelayed", s.insertDelayed);
    v.Field("multiRowInsert", s.multiRowInsert);
    v.Field("useReplace", s.useReplace);
    v.Field("insertIgnore", s.insertIgnore);
    v.Field("addAutocommit", s.addAutocommit);
    v.Field("addForeignKeyChecks", s.addForeignKeyChecks);
    v.Field("addUniqueChecks", s.addUniqueChecks);
    v.Field("addSqlNotes", s.addSqlNotes);
    v.Field("allowKeywordColumns", s.allowKeywordColumns);
    v.Field("disableKeys", s.disableKeys);
    v.Field("fileType", s.fileType);
    v.Field("fileMode", s.fileMode);
    v.Field("fileSplit", s.fileSplit);
    v.Field("singleFilePath", s.singleFilePath);
    v.Field("backupFolder", s.backupFolder);
    v.Field("fileNameFormat", s.fileNameFormat);
    v.Field("autoDelete", s.autoDelete);
    v.Field("autoDeleteLimit", s.autoDeleteLimit);
    v.Field("newFolderPerRun", s.newFolderPerRun);
    v.Field("unixLineEnds", s.unixLineEnds);
    v.Field("reservedByte", s.reservedByte);
    v.Field("createDatabase", s.createDatabase);
    v.Field("destDatabaseName", s.destDatabaseName);
}

template <class V, Is<Schedule> S>
void Fields(V& v, S& s)
{
    v.Field("kind", s.kind);
    v.Field("hour", s.hour);
    v.Field("minute", s.minute);
    v.Field("weekDays", s.weekDays);
    v.Field("monthDays", s.monthDays);
    v.Field("specialYear", s.specialYear);
    v.Field("specialMonth", s.specialMonth);
    v.Field("specialDay", s.specialDay);
    v.Field("repeatDays", s.repeatDays);
    v.Field("intervalMinutes", s.intervalMinutes);
}

template <class V, Is<BackupRun> S>
void Fields(V& v, S& s)
{
    v.Field("year", s.year);
    v.Field("month", s.month);
    v.Field("day", s.day);
    v.Field("hour", s.hour);
    v.Field("minute", s.minute);
    v.Field("second", s.second);
    v.Field("fileMode", s.fileMode);
    v.Field("fileType", s.fileType);
    v.Field("runReserved", s.runReserved);
    v.Field("folder", s.folder);
    v.Field("files", s.files);
}

template <class V, Is<RestoreOptions> S>
void Fields(V& v, S& s)
{
    v.Field("continueOnSqlError", s.continueOnSqlError);
    v.Field("continueOnFileError", s.continueOnFileError);
}

template <class V, Is<RestoreFile> S>
void Fields(V& v, S& s)
{
    v.Field("checkState", s.checkState);
    v.Field("fileName", s.fileName);
    v.Field("path", s.path);
    v.Field("size", s.size);
    v.Field("modified", s.modified);
}

template <class V, Is<Task> S>
void Fields(V& v, S& s)
{
    v.Field("taskId", s.taskId);
    v.Field("runNow", s.runNow);
    v.Field("name", s.name);
    v.Field("comment", s.comment);
    v.Field("type", s.type);
    v.Field("status", s.status);
    v.Field("createdTime", s.createdTime);
    v.Field("startedTime", s.startedTime);
    v.Field("lastRunTime", s.lastRunTime);
    v.Field("nextRunTime", s.nextRunTime);
    v.Field("logFileName", s.logFileName);
    v.Field("source", s.source);
    v.Field("destination", s.destination);
    v.Field("exportSettings", s.exportSettings);
    v.Field("exportTables", s.exportTables);
    v.Field("backupSettings", s.backupSettings);
    v.Field("databases", s.databases);
    v.Field("schedule", s.schedule);
    v.Field("sqlStatements", s.sqlStatements);
    v.Field("backupHistory", s.backupHistory);
    v.Field("restoreOptions", s.restoreOptions);
    v.Field("restoreFiles", s.restoreFiles);
}

std::string ToHex(std::string_view bytes)
{
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(bytes.size() * 2);
    for (unsigned char c : bytes) {
        hex += digits[c >> 4];
        hex += digits[c & 0x0f];
    }
    return hex;
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Builds the JSON object of one record.
class Writer
{
public:
    Json object = Json::object();

    void Field(const char* key, std::uint8_t value) { object[key] = value; }
    void Field(const char* key, std::int32_t value) { object[key] = value; }
    void Field(const char* key, const std::string& value) { object[key] = Text(value); }
    template <class E>
    requires std::is_enum_v<E>
    void Field(const char* key, E value) { object[key] = static_cast<std::underlying_type_t<E>>(value); }
    template <std::size_t N>
    void Field(const char* key, const std::array<std::uint8_t, N>& values)
    {
        object[key] = Json::array();
        for (auto v : values)
            object[key].push_back(v);
    }
    void Field(const char* key, const std::vector<std::string>& values)
    {
        object[key] = Json::array();
        for (const auto& v : values)
            object[key].push_back(Text(v));
    }
    template <class R>
    requires std::is_class_v<R>
    void Field(const char* key, const R& record) { object[key] = Of(record); }
    template <class R>
    void Field(const char* key, const std::vector<R>& records)
    {
        object[key] = Json::array();
        for (const auto& r : records)
            object[key].push_back(Of(r));
    }

    template <class R>
    static Json Of(const R& record)
    {
        Writer w;
        Fields(w, record);
        return std::move(w.object);
    }

private:
    static Json Text(const std::string& value)
    {
        if (IsValidUtf8(value))
            return value;
        return Json {{"hex", ToHex(value)}};
    }
};

// Reads the fields of one JSON object into a record. The first fault is kept in *error
// and every later read does nothing.
class Reader
{
public:
    Reader(const Json& object, std::string path, std::string* error)
        : m_object(object)
        , m_path(std::move(path))
        , m_error(error)
    { }

    void Field(const char* key, std::uint8_t& value) { Integer(key, value); }
    void Field(const char* key, std::int32_t& value) { Integer(key, value); }
    template <class E>
    requires std::is_enum_v<E>
    void Field(const char* key, E& value)
    {
        auto raw = static_cast<std::underlying_type_t<E>>(value);
        Integer(key, raw);
        value = static_cast<E>(raw);
    }
    void Field(const char* key, std::string& value)
    {
        if (const Json* j = Find(key))
            ReadText(*j, PathOf(key), value);
    }
    template <std::size_t N>
    void Field(const char* key, std::array<std::uint8_t, N>& values)
    {
        const Json* j = Find(key);
        if (!j)
            return;
        if (!j->is_array() || j->size() != N)
            return Fail(PathOf(key), "must be an array of " + std::to_string(N) + " integers");
        for (std::size_t i = 0; i < N; ++i)
            ReadInteger((*j)[i], PathOf(key) + "[" + std::to_string(i) + "]", values[i]);
    }
    void Field(const char* key, std::vector<std::string>& values)
    {
        const Json* j = Find(key);
        if (!j)
            return;
        if (!j->is_array())
            return Fail(PathOf(key), "must be an array of texts");
        values.clear();
        for (std::size_t i = 0; i < j->size() && m_error->empty(); ++i)
            ReadText((*j)[i], PathOf(key) + "[" + std::to_string(i) + "]", values.emplace_back());
    }
    template <class R>
    requires std::is_class_v<R>
    void Field(const char* key, R& record)
    {
        if (const Json* j = Find(key))
            ReadRecord(*j, PathOf(key), record);
    }
    template <class R>
    void Field(const char* key, std::vector<R>& records)
    {
        const Json* j = Find(key);
        if (!j)
            return;
        if (!j->is_array())
            return Fail(PathOf(key), "must be an array of objects");
        records.clear();
        for (std::size_t i = 0; i < j->size() && m_error->empty(); ++i)
            ReadRecord((*j)[i], PathOf(key) + "[" + std::to_string(i) + "]", records.emplace_back());
    }

    // Refuses the members that no field read.
    void Finish()
    {
        for (auto it = m_object.begin(); it != m_object.end() && m_error->empty(); ++it) {
            if (!m_seen.count(it.key()))
                Fail(PathOf(it.key().c_str()), "unknown field");
        }
    }

    template <class R>
    static void ReadRecord(const Json& j, const std::string& path, R& record, std::string* error)
    {
        if (!j.is_object()) {
            *error = (path.empty() ? std::string("the task") : path) + ": must be an object";
            return;
        }
        Reader r(j, path, error);
        Fields(r, record);
        r.Finish();
    }

private:
    template <class R>
    void ReadRecord(const Json& j, const std::string& path, R& record)
    {
        if (m_error->empty())
            ReadRecord(j, path, record, m_error);
    }

    const Json* Find(const char* key)
    {
        m_seen.insert(key);
        if (!m_error->empty())
            return nullptr;
        auto it = m_object.find(key);
        return it == m_object.end() ? nullptr : &*it;
    }

    std::string PathOf(const char* key) const { return m_path.empty() ? key : m_path + "." + key; }

    void Fail(const std::string& path, const std::string& problem)
    {
        if (m_error->empty())
            *m_error = path + ": " + problem;
    }

    template <class I>
    void Integer(const char* key, I& value)
    {
        if (const Json* j = Find(key))
            ReadInteger(*j, PathOf(key), value);
    }

    template <class I>
    void ReadInteger(const Json& j, const std::string& path, I& value)
    {
        constexpr auto lo = std::numeric_limits<I>::min();
        constexpr auto hi = std::numeric_limits<I>::max();
        const std::string range = "must be an integer from " + std::to_string(+lo) + " to " + std::to_string(+hi);
        if (j.is_number_unsigned()) {
            auto v = j.get<std::uint64_t>();
            if (v > static_cast<std::uint64_t>(hi))
                return Fail(path, range);
            value = static_cast<I>(v);
        } else if (j.is_number_integer()) {
            auto v = j.get<std::int64_t>();
            if (v < static_cast<std::int64_t>(lo) || v > static_cast<std::int64_t>(hi))
                return Fail(path, range);
            value = static_cast<I>(v);
        } else {
            Fail(path, range);
        }
    }

    void ReadText(const Json& j, const std::string& path, std::string& value)
    {
        if (j.is_string()) {
            value = j.get<std::string>();
            return;
        }
        if (!j.is_object() || j.size() != 1 || !j.contains("hex") || !j["hex"].is_string())
            return Fail(path, "must be a text or {\"hex\": \"...\"}");
        const auto& hex = j["hex"].get_ref<const std::string&>();
        if (hex.size() % 2 != 0)
            return Fail(path + ".hex", "must hold an even number of hexadecimal digits");
        std::string bytes;
        for (std::size_t i = 0; i < hex.size(); i += 2) {
            int high = HexDigit(hex[i]);
            int low = HexDigit(hex[i + 1]);
            if (high < 0 || low < 0)
                return Fail(path + ".hex", "must hold hexadecimal digits only");
            bytes += static_cast<char>(high * 16 + low);
        }
        value = std::move(bytes);
    }

    const Json& m_object;
    std::string m_path;
    std::string* m_error;
    std::set<std::string> m_seen;
};

} // namespace

std::string TaskToJson(const Task& task)
{
    // Every text was checked for UTF-8 (or written as hex), so dump cannot throw.
    return Writer::Of(task).dump(2) + "\n";
}

Result<Task> TaskFromJson(std::string_view text)
{
    Json document;
    try {
        document = Json::parse(text.begin(), text.end());
    } catch (const Json::exception& e) {
        return Error {std::string("not valid JSON: ") + e.what()};
    }
    Task task;
    std::string error;
    // The shortcuts of a hand-written task are taken aside before the record is read.
    std::optional<std::string> script;
    std::vector<std::size_t> pathOnly;
    if (document.is_object()) {
        if (document.contains("script")) {
            Reader(document, "", &error).Field("script", script.emplace());
            document.erase("script");
        }
        const auto files = document.find("restoreFiles");
        for (std::size_t i = 0; files != document.end() && files->is_array() && i < files->size(); ++i) {
            const Json& file = (*files)[i];
            if (file.is_object() && file.contains("path") && !file.contains("fileName") && !file.contains("size")
                && !file.contains("modified"))
                pathOnly.push_back(i);
        }
    }
    if (error.empty())
        Reader::ReadRecord(document, "", task, &error);
    if (!error.empty())
        return Error {error};
    if (script) {
        if (auto taken = TakeScript(task, *script, document.contains("sqlStatements")); !taken)
            return Error {taken.error()};
    }
    for (std::size_t index : pathOnly) {
        if (auto completed = CompleteRestoreFile(task, index); !completed)
            return Error {completed.error()};
    }
    return task;
}

bool IsValidUtf8(std::string_view bytes)
{
    std::size_t i = 0;
    while (i < bytes.size()) {
        auto c = static_cast<unsigned char>(bytes[i]);
        std::size_t more;
        unsigned lowest, cp;
        if (c < 0x80) {
            ++i;
            continue;
        } else if (c >= 0xC2 && c <= 0xDF) {
            more = 1, lowest = 0x80, cp = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            more = 2, lowest = 0x800, cp = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            more = 3, lowest = 0x10000, cp = c & 0x07;
        } else {
            return false;
        }
        if (bytes.size() - i <= more)
            return false;
        for (std::size_t k = 1; k <= more; ++k) {
            auto d = static_cast<unsigned char>(bytes[i + k]);
            if ((d & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (d & 0x3F);
        }
        if (cp < lowest || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += more + 1;
    }
    return true;
}

} // namespace kelvanto
