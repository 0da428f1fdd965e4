#pragma once

#include "model/UniqueFd.h"

#include <filesystem>
#include <functional>
#include <thread>

namespace kelvanto
{

// A thread that calls `changed` whenever the wall clock is set (a jump forward or back by
// the administrator, by time synchronisation, or on resume from a suspend in which the
// clock was stepped) or the local time-zone file is replaced or rewritten. Clock sets come
// from a timerfd armed with TFD_TIMER_CANCEL_ON_SET, zone changes from inotify on the
// file's folder (the file is usually a symlink that is replaced as a whole). After a zone
// change it calls tzset(), so that localtime_r reads the new zone.
//
// When the kernel refuses a descriptor, that source is simply not watched (Watching() says
// which). The destructor ends the thread.
class ClockChangeWatcher
{
public:
    ClockChangeWatcher(std::filesystem::path zoneFile, std::function<void()> changed);
    ~ClockChangeWatcher();
    ClockChangeWatcher(const ClockChangeWatcher&) = delete;
    ClockChangeWatcher& operator=(const ClockChangeWatcher&) = delete;

    bool WatchingClock() const { return m_timer.valid(); }
    bool WatchingZone() const { return m_inotify.valid(); }

private:
    void Loop();
    bool ArmTimer();
    // True when one of the read events names the zone file.
    bool ZoneFileTouched();

    std::filesystem::path m_zoneFile;
    std::function<void()> m_changed;
    UniqueFd m_timer;
    UniqueFd m_inotify;
    UniqueFd m_stop;
    std::thread m_thread;
};

} // namespace kelvanto
