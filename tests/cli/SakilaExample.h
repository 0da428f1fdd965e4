#pragma once

#include "tests/cli/CliHarness.h"
#include "tests/support/TestServer.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace kelvanto::test
{

// Imports the shipped example, pointed at the test server, a private copy of Sakila and a
// private backup folder (h.tmp / "backups"), with the members of `extras` over its extras.
inline void ImportSakilaExample(CliHarness& h, const TestServerAddress& server, const std::string& databaseName,
    const nlohmann::json& extras = nlohmann::json::object())
{
    using nlohmann::json;
    const char* source = std::getenv("KELVANTO_SOURCE_DIR");
    json task = json::parse(h.ReadFile(std::filesystem::path(source ? source : ".") / "examples/backup-sakila.json"));
    task["source"]["host"] = server.host;
    task["source"]["port"] = server.port;
    task["source"]["user"] = server.user;
    task["source"]["password"] = server.password;
    task["databases"][0]["name"] = databaseName;
    for (auto& table : task["databases"][0]["tables"])
        table["database"] = databaseName;
    const auto backups = h.tmp.path() / "backups";
    task["backupSettings"]["backupFolder"] = backups.string() + "/";
    for (auto member = extras.begin(); member != extras.end(); ++member)
        task["extras"][member.key()] = member.value();
    ASSERT_EQ(h.Run({"task", "import", "-"}, task.dump()).code, 0);
}

inline std::vector<std::filesystem::path> FilesBelow(const std::filesystem::path& folder)
{
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file())
            files.push_back(entry.path());
    }
    return files;
}

// The dumps below `folder`: every file but the manifests of the runs.
inline std::vector<std::filesystem::path> DumpsBelow(const std::filesystem::path& folder)
{
    std::vector<std::filesystem::path> dumps;
    for (const auto& file : FilesBelow(folder)) {
        if (!file.string().ends_with(".manifest.json"))
            dumps.push_back(file);
    }
    return dumps;
}

} // namespace kelvanto::test
