#include "tests/support/ChildProcess.h"

#include "tests/support/TestServer.h"

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace kelvanto::test
{

namespace
{

std::string ReadAll(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

} // namespace

ChildProcess::ChildProcess(const std::vector<std::string>& argv, const std::string& input)
{
    std::string pattern = (std::filesystem::temp_directory_path() / "kelvanto-child-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp failed");
    m_dir = pattern;
    std::ofstream(m_dir / "in", std::ios::binary) << input;

    std::vector<char*> args;
    for (const std::string& arg : argv)
        args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    const std::string in = (m_dir / "in").string();
    const std::string out = (m_dir / "out").string();
    const std::string err = (m_dir / "err").string();
    m_pid = ::fork();
    if (m_pid == 0) {
        // Only async-signal-safe calls from here to exec.
        const int inFd = ::open(in.c_str(), O_RDONLY);
        const int outFd = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int errFd = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (inFd < 0 || outFd < 0 || errFd < 0 || ::dup2(inFd, 0) < 0 || ::dup2(outFd, 1) < 0 || ::dup2(errFd, 2) < 0)
            ::_exit(126);
        // A test run in the background must not leave its children without SIGINT.
        ::signal(SIGINT, SIG_DFL);
        ::execv(args[0], args.data());
        ::_exit(127);
    }
}

ChildProcess::~ChildProcess()
{
    if (Running()) {
        ::kill(m_pid, SIGKILL);
        Wait(std::chrono::seconds(10));
    }
    std::error_code ignored;
    std::filesystem::remove_all(m_dir, ignored);
}

void ChildProcess::Signal(int signal) const
{
    ::kill(m_pid, signal);
}

bool ChildProcess::Running()
{
    if (m_status || m_pid <= 0)
        return false;
    int status = 0;
    if (::waitpid(m_pid, &status, WNOHANG) == m_pid) {
        m_status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        return false;
    }
    return true;
}

std::optional<int> ChildProcess::Wait(std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (Running()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return std::nullopt;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return m_status;
}

std::string ChildProcess::Out() const
{
    return ReadAll(m_dir / "out");
}

std::string ChildProcess::Err() const
{
    return ReadAll(m_dir / "err");
}

ProgramResult RunProgram(const std::vector<std::string>& argv, const std::string& input)
{
    ChildProcess child(argv, input);
    ProgramResult result;
    result.code = child.Wait().value_or(-1);
    result.out = child.Out();
    result.err = child.Err();
    return result;
}

std::string CliExecutable()
{
    return Env("KELVANTO_BINARY_DIR") + "/cli/kelvanto-cli";
}

} // namespace kelvanto::test
