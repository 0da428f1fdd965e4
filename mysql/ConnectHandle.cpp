#include "mysql/ConnectHandle.h"

#include "mysql/ConnectAbort.h"
#include "mysql/ConnectOptions.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <string>

#include <errmsg.h>
#include <mysql.h>
#include <poll.h>

namespace kelvanto
{

namespace
{

using Clock = std::chrono::steady_clock;

// ER_UNKNOWN_SYSTEM_VARIABLE: a server older than lock_wait_timeout (before 5.5).
constexpr unsigned kUnknownVariable = 1193;
// Calls after which the library is told that every wait timed out, to end an abandoned attempt.
constexpr int kMostWindDownCalls = 64;

// One non-blocking call of the library driven to its end: `start` begins it and `resume`
// continues it with the events that came, each returning what the library waits for next
// (0: done). Every wait is bounded by the deadline and broken by the abort's descriptor.
class Driver
{
public:
    Driver(MYSQL* handle, Clock::time_point deadline, ConnectAbort* abort)
        : m_handle(handle)
        , m_deadline(deadline)
        , m_abort(abort)
    { }

    template <class Start, class Resume>
    void Run(const Start& start, const Resume& resume)
    {
        int status = start();
        for (int windDown = 0; status != 0;) {
            const int events = Ended() ? MYSQL_WAIT_TIMEOUT : Wait(status);
            // An ended attempt is told that each wait timed out, which makes the library fail
            // it; a library that asks again and again is left after a bounded number of calls.
            if (Ended() && ++windDown > kMostWindDownCalls)
                return;
            status = resume(events);
        }
    }

    bool TimedOut() const { return m_timedOut; }
    bool Cancelled() const { return m_cancelled; }

private:
    bool Ended() const { return m_timedOut || m_cancelled; }

    // The events for the library's next step: what the socket is ready for, or a time-out.
    int Wait(int status)
    {
        pollfd fds[2] = {{mysql_get_socket(m_handle), 0, 0}, {m_abort ? m_abort->Descriptor() : -1, POLLIN, 0}};
        if (status & MYSQL_WAIT_READ)
            fds[0].events |= POLLIN;
        if (status & MYSQL_WAIT_WRITE)
            fds[0].events |= POLLOUT;
        if (status & MYSQL_WAIT_EXCEPT)
            fds[0].events |= POLLPRI;
        Clock::time_point until = m_deadline;
        if (status & MYSQL_WAIT_TIMEOUT)
            until = std::min(until, Clock::now() + std::chrono::milliseconds(mysql_get_timeout_value_ms(m_handle)));
        for (;;) {
            if (m_abort && m_abort->Cancelled()) {
                m_cancelled = true;
                return MYSQL_WAIT_TIMEOUT;
            }
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(until - Clock::now()).count();
            if (left <= 0) {
                m_timedOut = true;
                return MYSQL_WAIT_TIMEOUT;
            }
            const int ready = ::poll(fds, 2, static_cast<int>(std::min<long long>(left, 60'000)));
            if (ready < 0 && errno != EINTR) {
                // Nothing can be waited for: the attempt is given up as timed out.
                m_timedOut = true;
                return MYSQL_WAIT_TIMEOUT;
            }
            if (ready <= 0 || fds[1].revents != 0)
                continue; // a cancel is seen at the top of the loop
            int events = 0;
            // A hang-up or an error is read or written by the library, which then reports it.
            if (fds[0].revents & (POLLIN | POLLHUP | POLLERR))
                events |= MYSQL_WAIT_READ;
            if (fds[0].revents & (POLLOUT | POLLHUP | POLLERR))
                events |= MYSQL_WAIT_WRITE;
            if (fds[0].revents & POLLPRI)
                events |= MYSQL_WAIT_EXCEPT;
            return events;
        }
    }

    MYSQL* m_handle;
    Clock::time_point m_deadline;
    ConnectAbort* m_abort;
    bool m_timedOut = false;
    bool m_cancelled = false;
};

ConnectError LibraryError(MYSQL* handle, const Driver& driver, const ConnectionTimeouts& timeouts)
{
    if (driver.Cancelled())
        return ConnectError {kConnectCancelledError, "The connection attempt was cancelled"};
    ConnectError error {mysql_errno(handle), mysql_error(handle)};
    if (error.number == 0) {
        error.number = CR_UNKNOWN_ERROR;
        error.text = "The connection was not established on its own handle";
    }
    // The library's text names where it stopped ("reading initial communication packet"),
    // not that it gave up waiting.
    if (driver.TimedOut())
        error.text += " (timed out after " + std::to_string(timeouts.connect) + " s)";
    return error;
}

void SetTimeout(MYSQL* handle, mysql_option option, std::int32_t seconds)
{
    if (seconds <= 0)
        return;
    const auto value = static_cast<unsigned>(seconds);
    mysql_options(handle, option, &value);
}

} // namespace

std::optional<ConnectError> ConnectHandle(MYSQL* handle, const ServerConnection& settings, unsigned long flags,
    const ConnectionTimeouts& timeouts, ConnectAbort* abort)
{
    SetConnectOptions(handle, settings);
    SetTimeout(handle, MYSQL_OPT_CONNECT_TIMEOUT, timeouts.connect);
    SetTimeout(handle, MYSQL_OPT_READ_TIMEOUT, timeouts.read);
    SetTimeout(handle, MYSQL_OPT_WRITE_TIMEOUT, timeouts.write);
    // The non-blocking calls serve the attempt only; the blocking calls work as ever after it.
    if (mysql_options(handle, MYSQL_OPT_NONBLOCK, nullptr) != 0)
        return ConnectError {CR_OUT_OF_MEMORY, "MySQL client ran out of memory"};
    const Clock::time_point deadline
        = timeouts.connect > 0 ? Clock::now() + std::chrono::seconds(timeouts.connect) : Clock::time_point::max();
    Driver driver(handle, deadline, abort);

    MYSQL* connected = nullptr;
    driver.Run(
        [&] {
            return mysql_real_connect_start(&connected, handle, settings.host.c_str(), settings.user.c_str(),
                settings.password.c_str(), nullptr, static_cast<unsigned>(settings.port), nullptr, flags);
        },
        [&](int events) { return mysql_real_connect_cont(&connected, handle, events); });
    // Open only when the library hands back the very handle that was passed in.
    if (connected != handle)
        return LibraryError(handle, driver, timeouts);
    if (auto refused = CheckTlsRequirement(handle, settings))
        return refused;

    if (timeouts.lockWait > 0) {
        const std::string statement = "SET SESSION lock_wait_timeout=" + std::to_string(timeouts.lockWait);
        int failed = 0;
        driver.Run([&] { return mysql_real_query_start(&failed, handle, statement.data(), statement.size()); },
            [&](int events) { return mysql_real_query_cont(&failed, handle, events); });
        if (failed != 0 && (driver.TimedOut() || driver.Cancelled() || mysql_errno(handle) != kUnknownVariable))
            return LibraryError(handle, driver, timeouts);
    }
    return std::nullopt;
}

} // namespace kelvanto
