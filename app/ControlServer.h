#pragma once

#include "app/ControlHandler.h"
#include "app/LineChannel.h"
#include "model/Result.h"
#include "model/UniqueFd.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <list>
#include <memory>
#include <mutex>
#include <sys/types.h>
#include <thread>
#include <utility>

namespace kelvanto
{

// The control socket of a scheduler: a Unix socket in the data folder, mode 0600, that
// answers only processes of the scheduler's own user id and root (the peer's credentials
// are checked on every connection). Each connection has a thread of its own, which reads
// one request line at a time, validates it and hands it to the handler; a malformed or
// unknown request gets an error reply, and the connection goes on. After an error that ends
// the connection (a request too long or cut short, the idle time-out) the connection is
// closed right after the reply. When every place is taken, the connection that has waited
// longest for a request is closed to make room, so that idle clients cannot lock out the
// command line.
class ControlServer
{
public:
    struct Limits
    {
        // Connections served at once; one more takes the place of the one that has waited
        // longest for a request, and when all are busy with one it is told so and closed.
        std::size_t maxConnections = 32;
        // A connection that sends no whole request for this long is closed.
        std::chrono::milliseconds idleTimeout = std::chrono::seconds(60);
        // A client that takes no reply for this long is dropped.
        std::chrono::milliseconds sendTimeout = std::chrono::seconds(10);
        // How long Stop() lets connections send the reply they are working on.
        std::chrono::milliseconds stopGrace = std::chrono::seconds(2);
    };

    // Listens at `socketPath` (a stale socket there is replaced: the caller holds the data
    // folder's lock) and starts accepting. The handler must outlive the server.
    static Result<std::unique_ptr<ControlServer>> Start(
        const std::filesystem::path& socketPath, ControlHandler& handler, Limits limits);
    static Result<std::unique_ptr<ControlServer>> Start(
        const std::filesystem::path& socketPath, ControlHandler& handler);

    // Stop()s.
    ~ControlServer();
    ControlServer(const ControlServer&) = delete;
    ControlServer& operator=(const ControlServer&) = delete;

    // Stops accepting and reading requests: handlers see Ended(), and a reply being made is
    // still sent (for at most stopGrace); then ends every connection, waits for their
    // threads and removes the socket file. Safe to call twice.
    void Stop();

    const std::filesystem::path& SocketPath() const { return m_path; }

    // Only Start() can make the key.
    class ConstructionKey
    {
        friend class ControlServer;
        ConstructionKey() = default;
    };
    ControlServer(ConstructionKey, std::filesystem::path path, UniqueFd listener, ControlHandler& handler,
        Limits limits, UniqueFd wake, UniqueFd reapBell);

private:
    class Connection;

    void AcceptLoop();
    void Accept();
    // Joins the threads of connections that have ended and closes their sockets.
    void Reap(bool all);
    // Closes the connection that has waited longest for a request (m_mutex held); false
    // when every connection is busy with one.
    bool GiveUpLongestWaitingLocked();
    void Serve(Connection& connection);

    const std::filesystem::path m_path;
    UniqueFd m_listener;
    ControlHandler& m_handler;
    const Limits m_limits;
    UniqueFd m_wake; // an eventfd that ends the accept loop
    UniqueFd m_reapBell; // an eventfd that a connection rings when it has ended
    // Device and inode of the socket file made, so that Stop() removes only that one.
    std::pair<dev_t, ino_t> m_socketFile {};
    std::atomic<bool> m_closing {false}; // no more requests are read
    std::atomic<bool> m_stopping {false}; // nothing more is sent
    std::mutex m_mutex;
    std::list<std::unique_ptr<Connection>> m_connections;
    std::thread m_acceptThread;
    bool m_stopped = false;
};

} // namespace kelvanto
