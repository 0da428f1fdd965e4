#include "cli/CliContext.h"
#include "cli/CommandLine.h"

#include <atomic>
#include <csignal>
#include <iostream>
#include <string>
#include <unistd.h>
#include <vector>

namespace
{

std::atomic<bool> g_interrupted {false};
std::atomic<bool> g_catchInterrupt {false};
static_assert(std::atomic<bool>::is_always_lock_free, "the SIGINT handler needs lock-free flags");

// During a foreground run Ctrl-C only raises a flag, so that the main thread stops the task
// in order; at any other time it ends the program as it normally would.
extern "C" void OnInterrupt(int signalNumber)
{
    if (g_catchInterrupt.load()) {
        g_interrupted.store(true);
        return;
    }
    std::signal(signalNumber, SIG_DFL);
    std::raise(signalNumber);
}

} // namespace

int main(int argc, char** argv)
{
    struct sigaction action
    { };
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    // A closed output pipe must not kill a run half way: writes fail instead.
    std::signal(SIGPIPE, SIG_IGN);

    kelvanto::CliContext context(std::cout, std::cerr, std::cin);
    context.interrupted = &g_interrupted;
    context.catchInterrupt = &g_catchInterrupt;
    context.errIsTerminal = ::isatty(STDERR_FILENO) == 1;
    std::vector<std::string> args(argv + 1, argv + argc);
    const int code = kelvanto::CommandLine(context).Run(args);
    std::cout.flush();
    return code;
}
