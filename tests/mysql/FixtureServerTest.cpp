// Proves that the private servers of the test run answer: connects over TCP with the
// command-line client and reads the version.
#include "tests/support/TestServer.h"

#include <gtest/gtest.h>

namespace kelvanto::test
{
namespace
{

TEST(FixtureServer, AnswersWithItsVersion)
{
    KELVANTO_REQUIRE_SERVER(server, 1);
    std::string output;
    ASSERT_EQ(RunMariadbClient(server, "SELECT VERSION();", &output), 0) << output;
    EXPECT_NE(output.find("MariaDB"), std::string::npos) << output;
}

} // namespace
} // namespace kelvanto::test
