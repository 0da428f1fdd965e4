#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace kelvanto::test
{

// A private MariaDB server started by scripts/mariadb-fixture for this test run.
struct TestServerAddress
{
    std::string host;
    int port = 0;
    std::string user;
    std::string password;
    std::string socket;
};

// Server 1 or 2 from the environment (KELVANTO_TEST_MYSQL_*, KELVANTO_TEST_MYSQL2_*); nullopt when absent.
std::optional<TestServerAddress> TestServer(int index = 1);

// True when the CI variable is set: tests that need a server must then run, never skip.
bool RunningUnderCi();

// The value of an environment variable, empty when it is not set.
std::string Env(const char* name);

// The text in apostrophes for a POSIX shell, every apostrophe inside kept literally.
std::string ShellQuote(const std::string& text);

// Runs the mariadb command-line client against the server with the given SQL on its
// standard input; returns its exit code, with what it printed in *output when given.
int RunMariadbClient(const TestServerAddress& server, const std::string& sql, std::string* output = nullptr,
    const std::string& extraArguments = {});

} // namespace kelvanto::test

// Declares `var` as the address of server `index`; skips the test with the reason when none
// is configured, and fails it instead under CI.
#define KELVANTO_REQUIRE_SERVER(var, index)                                                                            \
    const auto var##_optional = ::kelvanto::test::TestServer(index);                                                   \
    if (!var##_optional) {                                                                                             \
        if (::kelvanto::test::RunningUnderCi())                                                                        \
            FAIL() << "no MariaDB test server " << (index) << " configured under CI (run scripts/test)";               \
        GTEST_SKIP() << "no MariaDB test server " << (index)                                                           \
                     << " configured: set KELVANTO_TEST_MYSQL_PORT (scripts/test does)";                               \
    }                                                                                                                  \
    const ::kelvanto::test::TestServerAddress& var = *var##_optional
