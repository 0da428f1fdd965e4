#include "tests/support/TestServer.h"

#include "tests/support/TempDir.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sys/wait.h>

namespace kelvanto::test
{

std::string Env(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::string ShellQuote(const std::string& text)
{
    std::string quoted = "'";
    for (char c : text) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    return quoted + "'";
}

std::optional<TestServerAddress> TestServer(int index)
{
    const std::string prefix
        = index == 1 ? "KELVANTO_TEST_MYSQL_" : "KELVANTO_TEST_MYSQL" + std::to_string(index) + "_";
    const std::string port = Env((prefix + "PORT").c_str());
    if (port.empty())
        return std::nullopt;
    TestServerAddress address;
    address.host = Env("KELVANTO_TEST_MYSQL_HOST");
    if (address.host.empty())
        address.host = "127.0.0.1";
    address.port = std::atoi(port.c_str());
    address.user = Env("KELVANTO_TEST_MYSQL_USER");
    if (address.user.empty())
        address.user = "root";
    address.password = Env("KELVANTO_TEST_MYSQL_PASSWORD");
    address.socket = Env((prefix + "SOCKET").c_str());
    return address;
}

bool RunningUnderCi()
{
    const std::string ci = Env("CI");
    return !ci.empty() && ci != "0" && ci != "false";
}

int RunMariadbClient(
    const TestServerAddress& server, const std::string& sql, std::string* output, const std::string& extraArguments)
{
    TempDir dir;
    const auto input = dir.path() / "input.sql";
    const auto out = dir.path() / "output.txt";
    {
        std::ofstream file(input, std::ios::binary);
        file << sql;
    }
    std::string command = "mariadb --no-defaults --batch --skip-column-names --default-character-set=utf8mb4 -h"
        + ShellQuote(server.host) + " -P" + std::to_string(server.port) + " -u" + ShellQuote(server.user);
    if (!server.password.empty())
        command += " -p" + ShellQuote(server.password);
    command += " " + extraArguments + " < " + ShellQuote(input.string()) + " > " + ShellQuote(out.string()) + " 2>&1";
    const int status = std::system(command.c_str());
    if (output) {
        std::ifstream file(out, std::ios::binary);
        output->assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    }
    if (status == -1 || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

} // namespace kelvanto::test
