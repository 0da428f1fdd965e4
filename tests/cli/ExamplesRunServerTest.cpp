// The shipped examples of the copy and export task types, imported and run through the
// command line with the program's own engines, pointed at the two test servers and a private
// copy of Sakila: each runs to "Finished" without an error line, and the copies and restores
// leave Sakila as it was.
#include "app/DefaultEngines.h"
#include "tests/cli/CliHarness.h"
#include "tests/support/RoundTrip.h"
#include "tests/support/RoundTripDatabase.h"
#include "tests/support/TestServer.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <cstdlib>
#include <string>

namespace kelvanto
{
namespace
{

using nlohmann::json;
using test::CliHarness;

std::string Join(const std::vector<std::string>& lines)
{
    std::string text;
    for (const auto& line : lines)
        text += line + "\n";
    return text;
}

// Every text value equal to a key of `names` replaced by its value, at any depth.
void Rename(json& value, const std::map<std::string, std::string>& names)
{
    if (value.is_string()) {
        if (auto name = names.find(value.get<std::string>()); name != names.end())
            value = name->second;
    } else if (value.is_structured()) {
        for (auto& item : value)
            Rename(item, names);
    }
}

void PointAt(json& settings, const test::TestServerAddress& server)
{
    settings["host"] = server.host;
    settings["port"] = server.port;
    settings["user"] = server.user;
    settings["password"] = server.password;
}

TEST(ExamplesRunServerTest, EveryCopyAndExportExampleRunsToFinished)
{
    KELVANTO_REQUIRE_SERVER(first, 1);
    KELVANTO_REQUIRE_SERVER(second, 2);
    test::RoundTripDatabase sakila("kv_examples", {first, second});
    const std::string copy = sakila.Derived("_copy");
    ASSERT_EQ(test::LoadSakila(first, sakila.name()), "");
    const auto original = test::TakeFingerprint(first, sakila.name());

    CliHarness h;
    h.engines = MakeDefaultEngines;
    const char* source = std::getenv("KELVANTO_SOURCE_DIR");
    // In this order: the restores bring back what the copies put on the second server.
    for (const char* file : {"backup-to-server.json", "backup-to-database.json", "export-tables.json",
             "restore-from-server.json", "restore-from-database.json"}) {
        SCOPED_TRACE(file);
        json task = json::parse(h.ReadFile(std::filesystem::path(source ? source : ".") / "examples" / file));
        Rename(task, {{"sakila", sakila.name()}, {"sakila_copy", copy}});
        const bool restore = task["type"] == 7 || task["type"] == 8;
        PointAt(task["source"], restore ? second : first);
        if (task.contains("destination"))
            PointAt(task["destination"], restore ? first : second);
        if (task.contains("exportSettings"))
            task["exportSettings"]["directory"] = (h.tmp.path() / "exports").string() + "/";
        ASSERT_EQ(h.Run({"task", "import", "-"}, task.dump()).code, 0);

        const auto run = h.Run({"run", task["name"].get<std::string>()});
        EXPECT_EQ(run.code, 0) << run.out << run.err;
        EXPECT_NE(run.out.find("\tGeneral Info\tFinished\n"), std::string::npos) << run.out;
        EXPECT_EQ(run.out.find("\tError Info\t"), std::string::npos) << run.out;
    }
    EXPECT_EQ(Join(test::CompareFingerprints(original, test::TakeFingerprint(second, sakila.name()))), "");
    EXPECT_EQ(Join(test::CompareFingerprints(original, test::TakeFingerprint(first, sakila.name()))), "");
    EXPECT_EQ(test::TakeFingerprint(second, copy).tableCount(), 2u);
    EXPECT_NE(h.ReadFile(h.tmp.path() / "exports" / (sakila.name() + "_film_list.csv")).find("\"FID\",\"title\""),
        std::string::npos);
}

} // namespace
} // namespace kelvanto
