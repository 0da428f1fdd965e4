#pragma once

#include "tests/support/TestServer.h"

#include <QApplication>
#include <QProcess>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <filesystem>
#include <functional>
#include <memory>

namespace kelvanto::test
{

// Acts on the next modal dialog (of the class named, when given) as soon as it is open: `act`
// receives it (a dialog's exec() in the code under test would otherwise wait for a user).
// Polls every few milliseconds for up to five seconds; a dialog that never comes is not acted
// on, and the test's own checks then fail.
void onNextModal(const std::function<void(QWidget*)>& act, const char* className = nullptr);

// How a kelvanto-cli process ended.
struct CliOutcome
{
    int code = -1; // -1: it did not start, or did not end in time
    QString out;
    QString err;
};

// Starts kelvanto-cli (KELVANTO_CLI_EXECUTABLE) on the data folder with the arguments and
// `input` on its standard input, without waiting for it.
std::unique_ptr<QProcess> startCli(
    const std::filesystem::path& dataDir, const QStringList& args, const QByteArray& input = {});
// Waits for a started kelvanto-cli while this program's event loop keeps going (the program
// under test may be the one that answers it).
CliOutcome waitForCli(QProcess& cli, int timeoutMs = 120000);
// Both: runs kelvanto-cli to its end.
CliOutcome runCli(const std::filesystem::path& dataDir, const QStringList& args, const QByteArray& input = {});

// The child of parent with this object name, or nullptr.
template <typename T>
T* child(QWidget* parent, const char* name)
{
    return parent ? parent->findChild<T*>(name) : nullptr;
}

} // namespace kelvanto::test

// Declares `var` as the address of server `index`; skips the Qt test when none is configured,
// and fails it instead under CI.
#define KELVANTO_QT_REQUIRE_SERVER(var, index)                                                                         \
    const auto var##_optional = ::kelvanto::test::TestServer(index);                                                   \
    if (!var##_optional) {                                                                                             \
        if (::kelvanto::test::RunningUnderCi())                                                                        \
            QFAIL("no MariaDB test server configured under CI (run scripts/test)");                                    \
        QSKIP("no MariaDB test server configured: set KELVANTO_TEST_MYSQL_PORT (scripts/test does)");                  \
    }                                                                                                                  \
    const ::kelvanto::test::TestServerAddress& var = *var##_optional
