// Proves the round-trip harness itself: Sakila dumped by mariadb-dump and restored into the
// second server compares identical, and the comparison notices a changed, a missing and an
// extra row. The engine's round trips rely on this harness being able to fail.
#include "tests/support/RoundTrip.h"
#include "tests/support/RoundTripDatabase.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestServer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace kelvanto::test
{
namespace
{

std::string Join(const std::vector<std::string>& lines)
{
    std::string text;
    for (const auto& line : lines)
        text += line + "\n";
    return text;
}

bool Mentions(const std::vector<std::string>& differences, const std::string& text)
{
    for (const auto& line : differences) {
        if (line.find(text) != std::string::npos)
            return true;
    }
    return false;
}

TEST(PeerDumpRoundTrip, SakilaComparesIdenticalAndBrokenRowsAreSeen)
{
    KELVANTO_REQUIRE_SERVER(source, 1);
    KELVANTO_REQUIRE_SERVER(target, 2);
    RoundTripDatabase database("kv_peer_sakila", {source, target});
    ASSERT_EQ(LoadSakila(source, database.name()), "");

    const auto original = TakeFingerprint(source, database.name());
    ASSERT_EQ(original.error, "");
    ASSERT_EQ(original.tableCount(), 16u);
    ASSERT_EQ(original.viewCount(), 7u);
    EXPECT_EQ(original.objects.at("rental").rowCount, "16044");

    TempDir dir;
    const auto dump = dir.path() / "peer.sql";
    const std::string command = "mariadb-dump --no-defaults -h" + source.host + " -P" + std::to_string(source.port)
        + " -u" + source.user + " --databases " + database.name() + " > " + dump.string();
    ASSERT_EQ(std::system(command.c_str()), 0);
    std::string output;
    ASSERT_EQ(RunMariadbClientOnFile(target, dump, &output), 0) << output;

    const auto copy = TakeFingerprint(target, database.name());
    EXPECT_EQ(Join(CompareFingerprints(original, copy)), "");

    // A changed value, a deleted row and an added row must each show up.
    ASSERT_EQ(RunMariadbClient(target,
                  "UPDATE " + QuoteName(database.name())
                      + ".actor SET last_name = 'CHANGED' WHERE actor_id = 7;\n"
                        "DELETE FROM "
                      + QuoteName(database.name())
                      + ".film_text WHERE film_id = 3;\n"
                        "INSERT INTO "
                      + QuoteName(database.name()) + ".category (name) VALUES ('Extra');\n",
                  &output),
        0)
        << output;
    const auto broken = CompareFingerprints(original, TakeFingerprint(target, database.name()));
    EXPECT_TRUE(Mentions(broken, "table actor: checksum")) << Join(broken);
    EXPECT_TRUE(Mentions(broken, "table film_text: 1000 rows, copy 999")) << Join(broken);
    EXPECT_TRUE(Mentions(broken, "table category: 16 rows, copy 17")) << Join(broken);
    EXPECT_TRUE(Mentions(broken, "view actor_info: result differs")) << Join(broken);
    const auto values = DifferingValues(source, target, database.name(), "actor", "actor_id");
    EXPECT_TRUE(Mentions(values, "row 6 column last_name: HEX 4D4F5354454C became 4348414E474544")) << Join(values);

    // A database that is not there at all differs from one that is.
    ASSERT_TRUE(database.DropOn(target));
    EXPECT_TRUE(Mentions(CompareFingerprints(original, TakeFingerprint(target, database.name())), "missing"));
}

} // namespace
} // namespace kelvanto::test
