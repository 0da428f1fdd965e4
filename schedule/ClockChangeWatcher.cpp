#include "schedule/ClockChangeWatcher.h"

#include <array>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <sys/timerfd.h>
#include <unistd.h>
#include <utility>

namespace kelvanto
{

namespace
{

// The timer only serves to be cancelled by a clock set: it is armed ten years ahead.
constexpr std::time_t kTimerAhead = 10L * 366 * 24 * 3600;

constexpr std::uint32_t kZoneEvents = IN_CLOSE_WRITE | IN_MOVED_TO | IN_CREATE | IN_DELETE | IN_ATTRIB;

} // namespace

ClockChangeWatcher::ClockChangeWatcher(std::filesystem::path zoneFile, std::function<void()> changed)
    : m_zoneFile(std::move(zoneFile))
    , m_changed(std::move(changed))
    , m_timer(::timerfd_create(CLOCK_REALTIME, TFD_CLOEXEC | TFD_NONBLOCK))
    , m_inotify(::inotify_init1(IN_CLOEXEC | IN_NONBLOCK))
    , m_stop(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK))
{
    if (m_timer.valid() && !ArmTimer())
        m_timer = UniqueFd();
    if (m_inotify.valid()) {
        const std::filesystem::path folder = m_zoneFile.has_parent_path() ? m_zoneFile.parent_path() : ".";
        if (::inotify_add_watch(m_inotify.get(), folder.c_str(), kZoneEvents | IN_ONLYDIR) < 0)
            m_inotify = UniqueFd();
    }
    if (m_stop.valid() && (m_timer.valid() || m_inotify.valid()))
        m_thread = std::thread(&ClockChangeWatcher::Loop, this);
}

ClockChangeWatcher::~ClockChangeWatcher()
{
    if (m_thread.joinable()) {
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t written = ::write(m_stop.get(), &one, sizeof one);
        m_thread.join();
    }
}

bool ClockChangeWatcher::ArmTimer()
{
    timespec now {};
    ::clock_gettime(CLOCK_REALTIME, &now);
    itimerspec when {};
    when.it_value.tv_sec = now.tv_sec + kTimerAhead;
    return ::timerfd_settime(m_timer.get(), TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET, &when, nullptr) == 0;
}

bool ClockChangeWatcher::ZoneFileTouched()
{
    alignas(inotify_event) std::array<char, 4096> buffer {};
    const std::string name = m_zoneFile.filename().string();
    bool touched = false;
    for (;;) {
        const ssize_t length = ::read(m_inotify.get(), buffer.data(), buffer.size());
        if (length <= 0)
            return touched;
        for (ssize_t at = 0; at < length;) {
            inotify_event event {};
            std::memcpy(&event, buffer.data() + at, sizeof event);
            const char* eventName = buffer.data() + at + sizeof(inotify_event);
            if (event.len > 0 && name == eventName)
                touched = true;
            if ((event.mask & IN_Q_OVERFLOW) != 0)
                touched = true;
            at += static_cast<ssize_t>(sizeof(inotify_event) + event.len);
        }
    }
}

void ClockChangeWatcher::Loop()
{
    std::array<pollfd, 3> fds {
        pollfd {m_stop.get(), POLLIN, 0}, pollfd {m_timer.get(), POLLIN, 0}, pollfd {m_inotify.get(), POLLIN, 0}};
    for (;;) {
        // A negative descriptor (a source not watched) is skipped by poll.
        if (::poll(fds.data(), fds.size(), -1) < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        if (fds[0].revents != 0)
            return;
        bool changed = false;
        if (fds[1].revents != 0) {
            std::uint64_t expirations = 0;
            // ECANCELED: the clock was set. Either way the timer is armed anew from the new time.
            if (::read(m_timer.get(), &expirations, sizeof expirations) < 0 && errno == ECANCELED)
                changed = true;
            if (!ArmTimer())
                fds[1].fd = -1;
        }
        if (fds[2].revents != 0 && ZoneFileTouched()) {
            ::tzset();
            changed = true;
        }
        if (changed)
            m_changed();
    }
}

} // namespace kelvanto
