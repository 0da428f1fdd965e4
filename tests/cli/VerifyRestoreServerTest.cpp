// Verification by restore through the command line: the Sakila example with a verification
// server named by a stored profile runs, verifies and records it; `verify --restore-to`
// proves the latest backup again, and refuses to restore files changed on disk since. Usage
// errors exit 2; nothing the verification made stays on the server.
#include "app/DefaultEngines.h"
#include "tests/cli/CliHarness.h"
#include "tests/cli/SakilaExample.h"
#include "tests/support/RoundTrip.h"
#include "tests/support/RoundTripDatabase.h"
#include "tests/support/TestServer.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <fstream>
#include <string>

namespace kelvanto
{
namespace
{

using test::CliHarness;

TEST(VerifyRestoreServerTest, ARunVerifiesItsBackupAndVerifyRestoreToProvesItAgain)
{
    KELVANTO_REQUIRE_SERVER(source, 1);
    KELVANTO_REQUIRE_SERVER(target, 2);
    test::RoundTripDatabase sakila("kv_cli_verify", {source, target});
    ASSERT_EQ(test::LoadSakila(source, sakila.name()), "");
    CliHarness h;
    h.engines = MakeDefaultEngines;
    std::vector<std::string> add {
        "server", "add", "Verify", "--host", target.host, "--port", std::to_string(target.port), "--user", target.user};
    if (!target.password.empty())
        add.insert(add.end(), {"--password", target.password, "--save-password"});
    ASSERT_EQ(h.Run(add).code, 0);
    ASSERT_NO_FATAL_FAILURE(test::ImportSakilaExample(
        h, source, sakila.name(), {{"verifyRestore", {{"server", {{"profile", "Verify"}}}}}, {"compression", "none"}}));

    const auto run = h.Run({"run", "Backup sakila"});
    EXPECT_EQ(run.code, 0) << run.out << run.err;
    EXPECT_NE(run.out.find("Verified by a restore into " + target.host + ":" + std::to_string(target.port) + ": "),
        std::string::npos)
        << run.out;
    EXPECT_EQ(run.out.find("\tError Info\t"), std::string::npos) << run.out;

    struct Usage
    {
        std::vector<std::string> args;
        int code;
        const char* text;
    };
    for (const Usage& usage : {Usage {{"verify", "Backup sakila", "--restore-to"}, 2, "needs the name"},
             Usage {{"verify", "Backup sakila", "--all", "--restore-to", "Verify"}, 2, "without --all"},
             Usage {{"verify", "Backup sakila", "--restore-to", "Nope"}, 1, "no stored server profile is named"}}) {
        const auto result = h.Run(usage.args);
        EXPECT_EQ(result.code, usage.code) << result.out << result.err;
        EXPECT_NE((result.out + result.err).find(usage.text), std::string::npos) << result.out << result.err;
    }

    const auto good = h.Run({"verify", "Backup sakila", "--restore-to", "Verify"});
    EXPECT_EQ(good.code, 0) << good.out << good.err;
    EXPECT_NE(good.out.find(": verified by a restore into "), std::string::npos) << good.out;
    EXPECT_EQ(test::TakeFingerprint(target, sakila.name()).tableCount(), 0u) << "no database remains";

    // One row changed on disk, the length kept: the file check fails, and files that are not
    // the ones the run wrote are never restored.
    const std::vector<std::filesystem::path> dumps = test::DumpsBelow(h.tmp.path() / "backups");
    ASSERT_EQ(dumps.size(), 1u);
    std::string text = h.ReadFile(dumps[0]);
    const auto at = text.find("'PENELOPE','GUINESS'");
    ASSERT_NE(at, std::string::npos);
    text.replace(at, 10, "'PENELOPA'");
    std::ofstream(dumps[0], std::ios::binary | std::ios::trunc) << text;
    const auto bad = h.Run({"verify", "Backup sakila", "--restore-to", "Verify"});
    EXPECT_EQ(bad.code, 1) << bad.out << bad.err;
    EXPECT_NE(bad.out.find("SHA-256"), std::string::npos) << bad.out;
    EXPECT_NE(bad.out.find("NOT verified by a restore: the files are not the ones the run wrote"), std::string::npos)
        << bad.out;
    EXPECT_EQ(bad.out.find("Restoring..."), std::string::npos) << bad.out;
    EXPECT_EQ(test::TakeFingerprint(target, sakila.name()).tableCount(), 0u) << "no database remains";
}

} // namespace
} // namespace kelvanto
