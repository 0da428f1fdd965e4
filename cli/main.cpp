#include "cli/CliContext.h"
#include "cli/CommandLine.h"

#include <atomic>
#include <csignal>
#include <iostream>
#include <string>
#include <vector>

namespace
{

std::atomic<bool> g_interrupted {false};
static_assert(std::atomic<bool>::is_always_lock_free, "the SIGINT handler needs a lock-free flag");

extern "C" void OnInterrupt(int)
{
    g_interrupted.store(true);
}

} // namespace

int main(int argc, char** argv)
{
    // Ctrl-C only raises a flag: the main thread then stops the running task in order.
    struct sigaction action
    { };
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);

    kelvanto::CliContext context(std::cout, std::cerr, std::cin);
    context.interrupted = &g_interrupted;
    std::vector<std::string> args(argv + 1, argv + argc);
    const int code = kelvanto::CommandLine(context).Run(args);
    std::cout.flush();
    return code;
}
