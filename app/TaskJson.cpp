#include "app/TaskJson.h"

#include "app/TaskExtrasJson.h"
#include "app/TaskJsonFields.h"
#include "app/TaskJsonShortcuts.h"
#include "model/NewTask.h"
#include "model/TaskExtras.h"

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

using taskjson::Fields;

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
    static Json Text(const std::string& value) { return TextToJson(value); }
};

// Reads the fields of one JSON object into a record. The first fault is kept in *error
// and every later read does nothing.
class Reader
{
public:
    Reader(const Json& object, std::string path, std::string* error, const ServerList* profiles)
        : m_object(object)
        , m_path(std::move(path))
        , m_error(error)
        , m_profiles(profiles)
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
    // A connection may name a stored server profile: {"profile": "Production", ...}. The
    // profile's settings are the start, and the other members given change them.
    void Field(const char* key, ServerConnection& connection)
    {
        const Json* j = Find(key);
        if (!j)
            return;
        const std::string path = PathOf(key);
        if (j->is_object() && j->contains("profile")) {
            std::string name;
            if (!TextFromJson((*j)["profile"], path + ".profile", name, m_error))
                return;
            const ServerConnection* profile = FindProfile(name);
            if (!profile)
                return Fail(path + ".profile", "no stored server profile is named \"" + name + "\"");
            connection = *profile;
            Reader r(*j, path, m_error, m_profiles);
            r.m_seen.insert("profile");
            Fields(r, connection);
            r.Finish();
            return;
        }
        ReadRecord(*j, path, connection);
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
    static void ReadRecord(
        const Json& j, const std::string& path, R& record, std::string* error, const ServerList* profiles)
    {
        if (!j.is_object()) {
            *error = (path.empty() ? std::string("the task") : path) + ": must be an object";
            return;
        }
        Reader r(j, path, error, profiles);
        Fields(r, record);
        r.Finish();
    }

private:
    template <class R>
    void ReadRecord(const Json& j, const std::string& path, R& record)
    {
        if (m_error->empty())
            ReadRecord(j, path, record, m_error, m_profiles);
    }

    const ServerConnection* FindProfile(const std::string& name) const
    {
        if (!m_profiles)
            return nullptr;
        for (const ServerConnection& profile : m_profiles->profiles()) {
            if (profile.connectionName == name)
                return &profile;
        }
        return nullptr;
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
        std::string problem;
        if (!TextFromJson(j, path, value, &problem))
            Fail(problem);
    }

    void Fail(const std::string& problem)
    {
        if (m_error->empty())
            *m_error = problem;
    }

    const Json& m_object;
    std::string m_path;
    std::string* m_error;
    const ServerList* m_profiles;
    std::set<std::string> m_seen;
};

} // namespace

Json TaskToJsonValue(const Task& task)
{
    Json value = Writer::Of(task);
    value["extras"] = TaskExtrasToJson(task.extras);
    return value;
}

void BlankPasswords(Json& value)
{
    // Without recursion: the depth of a value is the caller's, not this function's, concern.
    std::vector<Json*> pending {&value};
    while (!pending.empty()) {
        Json* current = pending.back();
        pending.pop_back();
        if (current->is_array()) {
            for (Json& element : *current)
                pending.push_back(&element);
        } else if (current->is_object()) {
            for (auto it = current->begin(); it != current->end(); ++it) {
                if (it.key() == "password")
                    it.value() = "";
                else
                    pending.push_back(&it.value());
            }
        }
    }
}

std::string TaskToJson(const Task& task)
{
    // Every text was checked for UTF-8 (or written as hex), so dump cannot throw.
    return TaskToJsonValue(task).dump(2) + "\n";
}

namespace
{

bool GivesUnixLineEnds(const Json& value)
{
    if (!value.is_object())
        return false;
    const auto backup = value.find("backupSettings");
    return backup != value.end() && backup->is_object() && backup->contains("unixLineEnds");
}

} // namespace

Result<Task> TaskFromJsonValue(const Json& value, const ServerList* profiles)
{
    // The fields not given keep a new task's defaults; the type read below sets its extras.
    Task task = NewTask(TaskType::BackupToFiles);
    std::string error;
    // The shortcuts of a hand-written task are taken aside before the record is read.
    std::optional<std::string> script;
    std::vector<std::size_t> pathOnly;
    std::optional<Json> recordOnly;
    // The extras are read once the type is known: the keys not given keep a new task's defaults.
    std::optional<Json> extras;
    if (value.is_object()) {
        if (value.contains("script")) {
            Reader(value, "", &error, profiles).Field("script", script.emplace());
            recordOnly.emplace(value).erase("script");
        }
        if (const auto found = value.find("extras"); found != value.end()) {
            extras = *found;
            if (!recordOnly)
                recordOnly.emplace(value);
            recordOnly->erase("extras");
        }
        const auto files = value.find("restoreFiles");
        for (std::size_t i = 0; files != value.end() && files->is_array() && i < files->size(); ++i) {
            const Json& file = (*files)[i];
            if (file.is_object() && file.contains("path") && !file.contains("fileName") && !file.contains("size")
                && !file.contains("modified"))
                pathOnly.push_back(i);
        }
    }
    if (error.empty())
        Reader::ReadRecord(recordOnly ? *recordOnly : value, "", task, &error, profiles);
    if (!error.empty())
        return Error {error};
    // A new task's LF line ends are for SQL files: PHP files keep CR LF unless the task asks.
    if (task.backupSettings.fileType == 2 && !GivesUnixLineEnds(value))
        task.backupSettings.unixLineEnds = 0;
    task.extras = NewTaskExtras(task.type);
    if (extras) {
        auto read = TaskExtrasFromJson(*extras, "extras", task.extras, profiles);
        if (!read)
            return Error {read.error()};
        task.extras = std::move(*read);
    }
    if (script) {
        if (auto taken = TakeScript(task, *script, value.contains("sqlStatements")); !taken)
            return Error {taken.error()};
    }
    for (std::size_t index : pathOnly) {
        if (auto completed = CompleteRestoreFile(task, index); !completed)
            return Error {completed.error()};
    }
    // Rotation deletes the files that the history names: only a run of this program may
    // name them, never a file handed in.
    task.backupHistory.clear();
    return task;
}

Result<Task> TaskFromJson(std::string_view text, const ServerList* profiles)
{
    auto document = ParseJson(text);
    if (!document)
        return Error {document.error()};
    return TaskFromJsonValue(*document, profiles);
}

Json ServerProfileToJson(const ServerConnection& profile)
{
    return Writer::Of(profile);
}

Result<ServerConnection> ServerProfileFromJson(const Json& value, ServerConnection start)
{
    std::string error;
    Reader::ReadRecord(value, "", start, &error, nullptr);
    if (!error.empty())
        return Error {error};
    return start;
}

} // namespace kelvanto
