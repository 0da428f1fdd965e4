#pragma once

#include "model/Task.h"
#include "mysql/Connection.h"
#include "tests/support/RoundTripEngine.h"
#include "tests/support/TestServer.h"

#include <filesystem>
#include <string>
#include <vector>

namespace kelvanto::test
{

// A manual "Restore from SQL files" task that replays the files, in order, on `target`.
Task MakeRestoreTask(
    const TestServerAddress& target, const std::vector<std::string>& files, RestoreOptions options = {});

// Runs the restore engine once on the task with the real MariaDB connector (or the given
// one); the result's files are empty.
EngineDump RunRestoreEngine(const Task& task);
EngineDump RunRestoreEngine(const Task& task, const Connector& connector);

// Writes a file that creates `database` and selects it, for dumps written without
// their own CREATE DATABASE and USE lines; returns its path.
std::string WriteUseDatabaseFile(const std::filesystem::path& folder, const std::string& database);

// For the engine tests, whose statements fill a table t (n INT AUTO_INCREMENT PRIMARY KEY,
// v VARCHAR): the values of v in the order of n, joined by blanks; "<none>" without the table.
std::string InsertedValues(const TestServerAddress& server, const std::string& database);

} // namespace kelvanto::test
