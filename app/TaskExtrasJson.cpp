#include "app/TaskExtrasJson.h"

#include "app/TaskJson.h"
#include "model/ConnectionTimeouts.h"

#include <array>
#include <cstdint>
#include <limits>
#include <set>
#include <utility>

namespace kelvanto
{

namespace
{

// Keys of work still to come: refused when given, left out when written.
constexpr bool kDocumented = true;
constexpr bool kNotYetAvailable = false;

constexpr std::array<std::pair<DefinerMode, const char*>, 2> kDefinerNames {{
    {DefinerMode::Keep, "keep"},
    {DefinerMode::Strip, "strip"},
}};

constexpr std::array<std::pair<Compression, const char*>, 3> kCompressionNames {{
    {Compression::None, "none"},
    {Compression::Zstd, "zstd"},
    {Compression::Gzip, "gzip"},
}};

// zstd's fastest negative level up to its strongest; zlib's 0 to 9 lie inside.
constexpr std::int64_t kMinCompressionLevel = -131072;
constexpr std::int64_t kMaxCompressionLevel = 22;
constexpr std::int64_t kMaxInsertBytes = std::int64_t {1} << 30;
constexpr std::int64_t kMaxRestoreThreads = 64;

// The one list of keys. A new key is one line here (and its member in TaskExtras).
template <class V, class S>
void ExtrasTable(V& v, S& s)
{
    v.Flag("consistentSnapshot", s.consistentSnapshot, kDocumented);
    v.Flag("routines", s.routines, kDocumented);
    v.Flag("triggers", s.triggers, kDocumented);
    v.Flag("events", s.events, kDocumented);
    v.Choice("definer", s.definer, kDefinerNames, kDocumented);
    v.Choice("compression", s.compression, kCompressionNames, kDocumented);
    v.Number("compressionLevel", s.compressionLevel, kMinCompressionLevel, kMaxCompressionLevel, kDocumented);
    v.Server("verifyRestore", s.verifyRestore, kDocumented);
    v.Number("maxInsertBytes", s.maxInsertBytes, 0, kMaxInsertBytes, kDocumented);
    v.Number("commitEvery", s.commitEvery, 0, std::numeric_limits<std::int32_t>::max(), kDocumented);
    v.Number("restoreThreads", s.restoreThreads, 1, kMaxRestoreThreads, kDocumented);
    v.Command("onFailure", s.onFailure, kDocumented);
    v.Flag("exportUnixLineEnds", s.exportUnixLineEnds, kDocumented);
    v.Seconds("connectTimeout", s.timeouts.connect, 1, kMaxConnectTimeout, kDocumented);
    v.Seconds("readTimeout", s.timeouts.read, 0, kMaxReadWriteTimeout, kDocumented);
    v.Seconds("writeTimeout", s.timeouts.write, 0, kMaxReadWriteTimeout, kDocumented);
    v.Seconds("lockWaitTimeout", s.timeouts.lockWait, 1, kMaxLockWaitTimeout, kDocumented);
}

class KeyLister
{
public:
    std::vector<TaskExtrasKey> keys;

    template <class T>
    void Flag(const char* name, const T&, bool documented)
    {
        keys.push_back({name, documented});
    }
    template <class T, class Names>
    void Choice(const char* name, const T&, const Names&, bool documented)
    {
        keys.push_back({name, documented});
    }
    template <class T>
    void Number(const char* name, const T&, std::int64_t, std::int64_t, bool documented)
    {
        keys.push_back({name, documented});
    }
    template <class T>
    void Server(const char* name, const T&, bool documented)
    {
        keys.push_back({name, documented});
    }
    template <class T>
    void Command(const char* name, const T&, bool documented)
    {
        keys.push_back({name, documented});
    }
    template <class T>
    void Seconds(const char* name, const T&, std::int64_t, std::int64_t, bool documented)
    {
        keys.push_back({name, documented});
    }
};

class ExtrasWriter
{
public:
    Json object = Json::object();

    void Flag(const char* key, bool value, bool available)
    {
        if (available)
            object[key] = value;
    }
    template <class E, std::size_t N>
    void Choice(const char* key, E value, const std::array<std::pair<E, const char*>, N>& names, bool available)
    {
        if (!available)
            return;
        for (const auto& [choice, name] : names) {
            if (choice == value)
                object[key] = name;
        }
    }
    template <class I>
    void Number(const char* key, I value, std::int64_t, std::int64_t, bool available)
    {
        if (available)
            object[key] = value;
    }
    void Server(const char* key, const std::optional<VerifyServer>& server, bool available)
    {
        if (!available)
            return;
        if (!server) {
            object[key] = nullptr;
            return;
        }
        const Json connection = server->profile.empty() ? ServerProfileToJson(server->connection)
                                                        : Json {{"profile", TextToJson(server->profile)}};
        object[key] = Json {{"server", connection}};
    }
    void Command(const char* key, const std::vector<std::string>& argv, bool available)
    {
        if (!available)
            return;
        object[key] = Json::array();
        for (const auto& argument : argv)
            object[key].push_back(TextToJson(argument));
    }
    // An unset time-out is written null: its default.
    void Seconds(
        const char* key, const std::optional<std::int32_t>& seconds, std::int64_t, std::int64_t, bool available)
    {
        if (!available)
            return;
        if (seconds)
            object[key] = *seconds;
        else
            object[key] = nullptr;
    }
};

// Reads the members of one object; the first fault is kept and every later read does nothing.
class ExtrasReader
{
public:
    ExtrasReader(const Json& object, std::string path, const ServerList* profiles)
        : m_object(object)
        , m_path(std::move(path))
        , m_profiles(profiles)
    { }

    std::string error;

    void Flag(const char* key, bool& value, bool available)
    {
        if (const Json* j = Find(key, available)) {
            if (!j->is_boolean())
                return Fail(PathOf(key), "must be true or false");
            value = j->get<bool>();
        }
    }
    template <class E, std::size_t N>
    void Choice(const char* key, E& value, const std::array<std::pair<E, const char*>, N>& names, bool available)
    {
        const Json* j = Find(key, available);
        if (!j)
            return;
        std::string allowed;
        for (const auto& [choice, name] : names) {
            if (j->is_string() && j->get_ref<const std::string&>() == name) {
                value = choice;
                return;
            }
            allowed += std::string(allowed.empty() ? "" : ", ") + "\"" + name + "\"";
        }
        Fail(PathOf(key), "must be one of " + allowed);
    }
    template <class I>
    void Number(const char* key, I& value, std::int64_t lo, std::int64_t hi, bool available)
    {
        const Json* j = Find(key, available);
        if (!j)
            return;
        const std::string range = "must be an integer from " + std::to_string(lo) + " to " + std::to_string(hi);
        if (!j->is_number_integer())
            return Fail(PathOf(key), range);
        if (j->is_number_unsigned() && j->get<std::uint64_t>() > static_cast<std::uint64_t>(hi))
            return Fail(PathOf(key), range);
        const auto number = j->get<std::int64_t>();
        if (number < lo || number > hi)
            return Fail(PathOf(key), range);
        value = static_cast<I>(number);
    }
    void Server(const char* key, std::optional<VerifyServer>& server, bool available)
    {
        const Json* j = Find(key, available);
        if (!j)
            return;
        const std::string path = PathOf(key);
        if (j->is_null()) {
            server.reset();
            return;
        }
        if (!j->is_object() || !j->contains("server"))
            return Fail(path, "must be null or {\"server\": {...}}");
        for (auto it = j->begin(); it != j->end(); ++it) {
            if (it.key() != "server")
                return Fail(path + "." + it.key(), "unknown field");
        }
        const Json& given = (*j)["server"];
        if (!given.is_object())
            return Fail(path + ".server", "must be an object");
        VerifyServer read;
        if (given.contains("profile")) {
            if (given.size() != 1)
                return Fail(path + ".server", "\"profile\" names the whole connection: give no other field with it");
            std::string problem;
            if (!TextFromJson(given["profile"], path + ".server.profile", read.profile, &problem))
                return Fail(problem);
            if (read.profile.empty() || (m_profiles && !m_profiles->containsName(read.profile)))
                return Fail(path + ".server.profile", "no stored server profile is named \"" + read.profile + "\"");
        } else {
            auto connection = ServerProfileFromJson(given, ServerConnection {});
            if (!connection)
                return Fail(path + ".server." + connection.error());
            read.connection = std::move(*connection);
        }
        server = std::move(read);
    }
    void Command(const char* key, std::vector<std::string>& argv, bool available)
    {
        const Json* j = Find(key, available);
        if (!j)
            return;
        if (!j->is_array())
            return Fail(PathOf(key), "must be an array of texts");
        std::vector<std::string> read;
        for (std::size_t i = 0; i < j->size(); ++i) {
            std::string problem;
            const std::string path = PathOf(key) + "[" + std::to_string(i) + "]";
            if (!TextFromJson((*j)[i], path, read.emplace_back(), &problem))
                return Fail(problem);
            // A program's arguments end at a NUL byte: what follows would be dropped unseen.
            if (read.back().find('\0') != std::string::npos)
                return Fail(path, "must not hold a NUL byte");
        }
        if (!read.empty() && read.front().empty())
            return Fail(PathOf(key) + "[0]", "must name the program to run");
        argv = std::move(read);
    }
    // A number of seconds, or null for the default.
    void Seconds(
        const char* key, std::optional<std::int32_t>& seconds, std::int64_t lo, std::int64_t hi, bool available)
    {
        const Json* j = Find(key, available);
        if (!j)
            return;
        if (j->is_null()) {
            seconds.reset();
            return;
        }
        std::int32_t value = 0;
        Number(key, value, lo, hi, available);
        if (error.empty())
            seconds = value;
    }

    // Refuses the members that no key read.
    void Finish()
    {
        for (auto it = m_object.begin(); it != m_object.end() && error.empty(); ++it) {
            if (!m_seen.count(it.key()))
                Fail(PathOf(it.key().c_str()), "unknown field");
        }
    }

private:
    // The member `key`; nothing when it is absent, and a fault when it names a setting that
    // this version does not carry out (accepting it would promise what no run does).
    const Json* Find(const char* key, bool available)
    {
        m_seen.insert(key);
        if (!error.empty())
            return nullptr;
        auto it = m_object.find(key);
        if (it == m_object.end())
            return nullptr;
        if (!available) {
            Fail(PathOf(key), "is not available in this version");
            return nullptr;
        }
        return &*it;
    }

    std::string PathOf(const char* key) const { return m_path.empty() ? key : m_path + "." + key; }

    void Fail(const std::string& path, const std::string& problem) { Fail(path + ": " + problem); }
    void Fail(const std::string& problem)
    {
        if (error.empty())
            error = problem;
    }

    const Json& m_object;
    std::string m_path;
    const ServerList* m_profiles;
    std::set<std::string> m_seen;
};

} // namespace

std::vector<TaskExtrasKey> TaskExtrasKeys()
{
    KeyLister lister;
    TaskExtras extras;
    ExtrasTable(lister, extras);
    return std::move(lister.keys);
}

Json TaskExtrasToJson(const TaskExtras& extras)
{
    ExtrasWriter writer;
    ExtrasTable(writer, extras);
    return std::move(writer.object);
}

Result<TaskExtras> TaskExtrasFromJson(
    const Json& value, const std::string& path, TaskExtras start, const ServerList* profiles)
{
    if (!value.is_object())
        return Error {path + ": must be an object"};
    ExtrasReader reader(value, path, profiles);
    ExtrasTable(reader, start);
    reader.Finish();
    if (!reader.error.empty())
        return Error {reader.error};
    return start;
}

} // namespace kelvanto
