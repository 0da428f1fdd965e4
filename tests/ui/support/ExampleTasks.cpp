#include "tests/ui/support/ExampleTasks.h"

#include "app/TaskJson.h"
#include "model/FileBytes.h"
#include "tests/support/TestServer.h"

#include <QtGlobal>

#include <ctime>
#include <fstream>
#include <sys/time.h>

namespace kelvanto::test
{

namespace
{

constexpr const char* kDumps = "/srv/dumps/";

void MakeDump(const std::filesystem::path& path, std::size_t size)
{
    std::ofstream(path, std::ios::binary) << std::string(size, '-');
    std::tm local {};
    local.tm_year = 2026 - 1900;
    local.tm_mon = 11;
    local.tm_mday = 1;
    local.tm_hour = 3;
    local.tm_min = 0;
    local.tm_sec = 12;
    local.tm_isdst = -1;
    const timeval times[2] = {{std::mktime(&local), 0}, {std::mktime(&local), 0}};
    ::utimes(path.c_str(), times);
}

} // namespace

Task loadExample(const char* name, const std::filesystem::path& scratch)
{
    auto text = ReadFileBytes(Env("KELVANTO_SOURCE_DIR") + "/examples/" + name + ".json");
    if (!text)
        qFatal("%s", text.error().c_str());
    std::string json = *text;
    const std::string dumps = (scratch / "dumps").string() + "/";
    if (json.find(kDumps) != std::string::npos) {
        std::filesystem::create_directories(dumps);
        MakeDump(dumps + "sakila-structure.sql", 23004);
        MakeDump(dumps + "sakila-records.sql", 1023);
        for (auto at = json.find(kDumps); at != std::string::npos; at = json.find(kDumps, at + dumps.size()))
            json.replace(at, std::string(kDumps).size(), dumps);
    }
    auto task = TaskFromJson(json);
    if (!task)
        qFatal("%s: %s", name, task.error().c_str());
    for (RestoreFile& file : task->restoreFiles) {
        if (file.path.rfind(dumps, 0) == 0)
            file.path = kDumps + file.path.substr(dumps.size());
    }
    return std::move(*task);
}

} // namespace kelvanto::test
