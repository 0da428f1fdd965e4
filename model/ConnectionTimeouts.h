#pragma once

#include "model/Task.h"

#include <cstdint>

namespace kelvanto
{

// The time-outs a connection is opened with, in seconds. Connect covers the whole attempt
// (the TCP connection, the server's greeting, TLS and the login); read and write bound each
// wait for the server once connected (0: none); lockWait is the session's lock_wait_timeout,
// the longest a statement waits for a metadata lock (0: the server's own).
struct ConnectionTimeouts
{
    std::int32_t connect = 0;
    std::int32_t read = 0;
    std::int32_t write = 0;
    std::int32_t lockWait = 0;

    bool operator==(const ConnectionTimeouts&) const = default;
};

inline constexpr std::int32_t kDefaultConnectTimeout = 30;
// Longer than the lock wait, so that a statement that waits for a lock ends with the
// server's error rather than as a lost connection.
inline constexpr std::int32_t kDefaultReadWriteTimeout = 900;
inline constexpr std::int32_t kDefaultLockWaitTimeout = 600;

// The ranges a task may set (TimeoutSettings); read and write take 0 for none.
inline constexpr std::int32_t kMaxConnectTimeout = 3600;
inline constexpr std::int32_t kMaxReadWriteTimeout = 86400;
inline constexpr std::int32_t kMaxLockWaitTimeout = 31536000; // the server's own limit

// The connections that the program opens outside a run (the wizard, server test): connect
// and read/write time-outs by default, the server's own lock wait.
ConnectionTimeouts InteractiveTimeouts();

// The time-outs of every connection of a run of a task of this type: the task's settings,
// each unset one by its default. The defaults read and write with time-outs for the tasks
// that read from a server (backups, copies, exports) and without for the script and the
// restore from files, whose statements may rightly run for hours (a CREATE INDEX); a stop
// breaks those at once all the same.
ConnectionTimeouts RunTimeouts(TaskType type, const TimeoutSettings& settings);

} // namespace kelvanto
