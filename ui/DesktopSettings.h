#pragma once

#include "mysql/Connection.h"
#include "schedule/Clock.h"
#include "schedule/RunContext.h"
#include "ui/UiCommandQueue.h"

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace kelvanto
{

class Notifier;

// How the desktop program was started and what the desktop offers; main() fills it from the
// process, tests with their own.
struct DesktopSettings
{
    std::filesystem::path dataFolder; // located (absolute), maybe not created yet
    std::shared_ptr<Clock> clock = std::make_shared<SystemClock>();
    std::function<EngineTable()> engines;
    Connector connector;
    bool trayAvailable = false;
    int splashMilliseconds = 3000; // 0: no splash
    // Where the autostart entry goes, and the command it runs (the executable's full path and
    // the arguments that choose this data folder).
    std::filesystem::path autostartEntry;
    std::vector<std::string> autostartCommand;
    // The window's size, place and column widths between starts (an INI file in the user's
    // configuration folder, not the data folder's options); empty: not kept.
    std::filesystem::path windowStateFile;
    // Where notifications of runs go; empty: the notification area or the desktop's
    // notification service (DesktopNotifier).
    std::shared_ptr<Notifier> notifier;
    // How long a change asked for on the control socket waits for an open dialog to close.
    std::chrono::milliseconds controlBusyWait = UiCommandQueue::kDefaultBusyWait;
};

} // namespace kelvanto
