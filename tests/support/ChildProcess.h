#pragma once

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace kelvanto::test
{

// A program started by a test as a process of its own (the service, a command line beside
// it), its standard input given as text and its output kept in files. A process still
// running when the object goes away is killed.
class ChildProcess
{
public:
    ChildProcess(const std::vector<std::string>& argv, const std::string& input = {});
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    pid_t pid() const { return m_pid; }
    void Signal(int signal) const;
    // The exit code (128 + N after signal N), or nullopt when it did not end in time.
    std::optional<int> Wait(std::chrono::milliseconds timeout = std::chrono::seconds(60));
    bool Running();

    std::string Out() const;
    std::string Err() const;

private:
    std::filesystem::path m_dir;
    pid_t m_pid = -1;
    std::optional<int> m_status;
};

// Runs a program to its end: its exit code and outputs.
struct ProgramResult
{
    int code = -1;
    std::string out;
    std::string err;
};
ProgramResult RunProgram(const std::vector<std::string>& argv, const std::string& input = {});

// The kelvanto-cli built beside the tests.
std::string CliExecutable();

} // namespace kelvanto::test
