// The "extras" object of the JSON form: every key written, read back, refused when wrong, and
// the keys documented as available named in docs/task-json.md.
#include "app/TaskExtrasJson.h"

#include "app/TaskJson.h"
#include "model/TaskExtras.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>

namespace kelvanto
{
namespace
{

TaskExtras EveryKeySet()
{
    TaskExtras extras;
    extras.consistentSnapshot = true;
    extras.routines = true;
    extras.triggers = true;
    extras.events = true;
    extras.definer = DefinerMode::Strip;
    extras.compression = Compression::Zstd;
    extras.compressionLevel = -5;
    extras.commitEvery = 1000;
    extras.restoreThreads = 4;
    extras.maxInsertBytes = std::int64_t {1} << 30;
    extras.onFailure = {"mail", "-s", "backup failed: $KELVANTO_TASK", "ops@example.org", "caf\xe9"};
    VerifyServer server;
    server.connection.host = "verify.example";
    server.connection.port = 3307;
    server.connection.user = "checker";
    extras.verifyRestore = server;
    // 0 turns a read or write time-out off; the others are unset (null: the default).
    extras.timeouts.connect = 5;
    extras.timeouts.read = 0;
    extras.timeouts.lockWait = 31536000;
    return extras;
}

TEST(TaskExtrasJsonTest, EveryKeyIsWrittenAndReadBack)
{
    TaskExtras byProfile = EveryKeySet();
    byProfile.verifyRestore = VerifyServer {"Staging", {}};
    for (const TaskExtras& extras : {TaskExtras {}, EveryKeySet(), byProfile, NewTaskExtras(TaskType::BackupToFiles)}) {
        const Json json = TaskExtrasToJson(extras);
        SCOPED_TRACE(json.dump());
        // Off values too: a task read back behaves as the one written, whatever the defaults.
        // Keys that this version does not carry out are not written.
        for (const TaskExtrasKey& key : TaskExtrasKeys())
            EXPECT_EQ(json.contains(key.name), key.documented) << key.name;
        auto back = TaskExtrasFromJson(json, "extras", NewTaskExtras(TaskType::BackupToFiles));
        ASSERT_TRUE(back.ok()) << back.error();
        EXPECT_TRUE(*back == extras);
    }
    const Json off = TaskExtrasToJson(TaskExtras {});
    EXPECT_EQ(off["definer"], "keep");
    EXPECT_EQ(off["compression"], "none");
}

TEST(TaskExtrasJsonTest, ATaskImportedWithoutExtrasGetsTheNewTaskDefaultsAndAnExportedOneKeepsItsOwn)
{
    for (const TaskType type : {TaskType::BackupToFiles, TaskType::ExportTables, TaskType::ExecuteScript}) {
        SCOPED_TRACE(static_cast<int>(type));
        Json task {{"type", static_cast<int>(type)}};
        auto imported = TaskFromJsonValue(task);
        ASSERT_TRUE(imported.ok()) << imported.error();
        EXPECT_TRUE(imported->extras == NewTaskExtras(type));

        // An old task (every extra off) exported and imported again stays off.
        Task old;
        old.type = type;
        auto again = TaskFromJson(TaskToJson(old));
        ASSERT_TRUE(again.ok()) << again.error();
        EXPECT_TRUE(again->extras == TaskExtras {});
    }
    // Keys not given keep the new task's defaults.
    auto partial = TaskFromJson(R"({"type": 1, "extras": {"routines": false, "definer": "strip"}})");
    ASSERT_TRUE(partial.ok()) << partial.error();
    TaskExtras expected = NewTaskExtras(TaskType::BackupToFiles);
    expected.routines = false;
    expected.definer = DefinerMode::Strip;
    EXPECT_TRUE(partial->extras == expected);
}

TEST(TaskExtrasJsonTest, RefusesFaultsNamingTheKey)
{
    ServerList profiles;
    ServerConnection staging;
    staging.connectionName = "Staging";
    profiles.add(staging);
    struct Row
    {
        const char* json;
        const char* message;
    };
    const Row rows[] = {
        {R"({"extras": {"foo": 1}})", "extras.foo: unknown field"},
        {R"({"extras": []})", "extras: must be an object"},
        {R"({"extras": {"routines": 1}})", "extras.routines: must be true or false"},
        {R"({"extras": {"definer": "Keep"}})", "extras.definer: must be one of \"keep\", \"strip\""},
        {R"({"extras": {"compression": "xz"}})", "extras.compression: must be one of \"none\", \"zstd\", \"gzip\""},
        {R"({"extras": {"compressionLevel": 23}})", "extras.compressionLevel: must be an integer from -131072 to 22"},
        {R"({"extras": {"compressionLevel": 1.5}})", "extras.compressionLevel: must be an integer"},
        {R"({"extras": {"commitEvery": -1}})", "extras.commitEvery: must be an integer from 0 to 2147483647"},
        {R"({"extras": {"maxInsertBytes": 1073741825}})",
            "extras.maxInsertBytes: must be an integer from 0 to 1073741824"},
        {R"({"extras": {"maxInsertBytes": -1}})", "extras.maxInsertBytes: must be an integer from 0 to 1073741824"},
        {R"({"extras": {"restoreThreads": 0}})", "extras.restoreThreads: must be an integer from 1 to 64"},
        {R"({"extras": {"restoreThreads": 65}})", "extras.restoreThreads: must be an integer from 1 to 64"},
        {R"({"extras": {"onFailure": "mail ops"}})", "extras.onFailure: must be an array of texts"},
        {R"({"extras": {"onFailure": ["mail", 1]}})", "extras.onFailure[1]: must be a text"},
        {R"({"extras": {"onFailure": ["", "ops"]}})", "extras.onFailure[0]: must name the program to run"},
        {R"({"extras": {"onFailure": ["mail", "a\u0000b"]}})", "extras.onFailure[1]: must not hold a NUL byte"},
        {R"({"extras": {"verifyRestore": 3}})", "extras.verifyRestore: must be null or {\"server\": {...}}"},
        {R"({"extras": {"verifyRestore": {"server": {"profile": "Nope"}}}})",
            "extras.verifyRestore.server.profile: no stored server profile is named \"Nope\""},
        {R"({"extras": {"verifyRestore": {"server": {"profile": "Staging", "port": 1}}}})",
            "extras.verifyRestore.server: \"profile\" names the whole connection"},
        {R"({"extras": {"verifyRestore": {"server": {}, "when": 1}}})", "extras.verifyRestore.when: unknown field"},
        {R"({"extras": {"connectTimeout": 0}})", "extras.connectTimeout: must be an integer from 1 to 3600"},
        {R"({"extras": {"connectTimeout": 3601}})", "extras.connectTimeout: must be an integer from 1 to 3600"},
        {R"({"extras": {"readTimeout": -1}})", "extras.readTimeout: must be an integer from 0 to 86400"},
        {R"({"extras": {"writeTimeout": "60"}})", "extras.writeTimeout: must be an integer from 0 to 86400"},
        {R"({"extras": {"lockWaitTimeout": 0}})", "extras.lockWaitTimeout: must be an integer from 1 to 31536000"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.json);
        auto result = TaskFromJson(row.json, &profiles);
        ASSERT_FALSE(result.ok());
        EXPECT_EQ(result.error().rfind(row.message, 0), 0u) << result.error();
    }
}

TEST(TaskExtrasJsonTest, TheDocumentedKeysAreTheOnesTheTaskFormDescribes)
{
    const char* source = std::getenv("KELVANTO_SOURCE_DIR");
    ASSERT_NE(source, nullptr) << "KELVANTO_SOURCE_DIR is set by ctest";
    std::ifstream in(std::string(source) + "/docs/task-json.md");
    ASSERT_TRUE(in) << "docs/task-json.md";
    const std::string doc {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    int documented = 0;
    for (const TaskExtrasKey& key : TaskExtrasKeys()) {
        SCOPED_TRACE(key.name);
        EXPECT_EQ(doc.find("`" + std::string(key.name) + "`") != std::string::npos, key.documented);
        documented += key.documented ? 1 : 0;
    }
    EXPECT_EQ(documented, 17);
}

} // namespace
} // namespace kelvanto
