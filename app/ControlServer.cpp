#include "app/ControlServer.h"

#include "app/UnixSocket.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <exception>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kelvanto
{

namespace
{

timeval TimevalOf(std::chrono::milliseconds duration)
{
    timeval value {};
    value.tv_sec = static_cast<time_t>(duration.count() / 1000);
    value.tv_usec = static_cast<suseconds_t>((duration.count() % 1000) * 1000);
    return value;
}

bool PeerAllowed(const std::optional<UnixSocket::Peer>& peer)
{
    return peer && (peer->uid == ::geteuid() || peer->uid == 0);
}

} // namespace

// One client connection: its channel, its thread, and the session its handler writes to.
class ControlServer::Connection final : public ControlSession
{
public:
    Connection(UniqueFd socket, const std::atomic<bool>& closing, const std::atomic<bool>& stopping)
        : channel(std::move(socket), control::kMaxRequestBytes)
        , m_closing(closing)
        , m_stopping(stopping)
    { }

    bool Send(const Json& message) override
    {
        std::lock_guard lock(m_sendMutex);
        if (m_stopping.load() || m_broken)
            return false;
        // The client's wait starts when it is answered, not when this thread comes back to
        // read, which a loaded machine may delay past another client's answer. Taken before
        // the write: the client may act on the answer before this thread runs again.
        waitingSince.store(Now());
        m_broken = !channel.WriteLine(EncodeControlLine(message));
        return !m_broken;
    }

    bool Ended() const override { return m_closing.load() || m_broken || channel.PeerClosed(); }

    // Marks the connection as waiting for its next request, since now.
    void BeginWaiting()
    {
        if (waitingSince.load() == 0)
            waitingSince.store(Now());
        state.store(State::Waiting);
    }
    // Takes a request that came in; false when the connection was given up meanwhile.
    bool BeginRequest()
    {
        State waiting = State::Waiting;
        return state.compare_exchange_strong(waiting, State::Busy);
    }
    // Gives up a connection that waits for a request; false when it is busy with one.
    bool GiveUp()
    {
        State waiting = State::Waiting;
        if (!state.compare_exchange_strong(waiting, State::GivenUp))
            return false;
        channel.ShutdownReading();
        return true;
    }

    enum class State : std::uint8_t { Busy, Waiting, GivenUp };

    static std::chrono::steady_clock::rep Now() { return std::chrono::steady_clock::now().time_since_epoch().count(); }

    LineChannel channel;
    std::thread thread;
    std::atomic<bool> done {false};
    std::atomic<State> state {State::Busy};
    std::atomic<std::chrono::steady_clock::rep> waitingSince {0};

private:
    const std::atomic<bool>& m_closing;
    const std::atomic<bool>& m_stopping;
    std::mutex m_sendMutex;
    bool m_broken = false;
};

Result<std::unique_ptr<ControlServer>> ControlServer::Start(
    const std::filesystem::path& socketPath, ControlHandler& handler)
{
    return Start(socketPath, handler, Limits {});
}

Result<std::unique_ptr<ControlServer>> ControlServer::Start(
    const std::filesystem::path& socketPath, ControlHandler& handler, Limits limits)
{
    UniqueFd wake(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
    UniqueFd reapBell(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
    if (!wake.valid() || !reapBell.valid())
        return Error {"cannot create the control socket's wake-up descriptor"};
    auto listener = UnixSocket::Listen(socketPath);
    if (!listener)
        return Error {listener.error()};
    auto server = std::make_unique<ControlServer>(
        ConstructionKey {}, socketPath, std::move(*listener), handler, limits, std::move(wake), std::move(reapBell));
    struct stat made
    { };
    if (::lstat(socketPath.c_str(), &made) == 0)
        server->m_socketFile = {made.st_dev, made.st_ino};
    server->m_acceptThread = std::thread([self = server.get()] { self->AcceptLoop(); });
    return server;
}

ControlServer::ControlServer(ConstructionKey, std::filesystem::path path, UniqueFd listener, ControlHandler& handler,
    Limits limits, UniqueFd wake, UniqueFd reapBell)
    : m_path(std::move(path))
    , m_listener(std::move(listener))
    , m_handler(handler)
    , m_limits(limits)
    , m_wake(std::move(wake))
    , m_reapBell(std::move(reapBell))
{ }

ControlServer::~ControlServer()
{
    Stop();
}

void ControlServer::Stop()
{
    if (m_stopped)
        return;
    m_stopped = true;
    m_closing.store(true);
    const std::uint64_t one = 1;
    (void)!::write(m_wake.get(), &one, sizeof(one));
    if (m_acceptThread.joinable())
        m_acceptThread.join();
    // First no more requests: a connection that waits for one ends, and one that is making a
    // reply (a refusal because the scheduler stops, say) may still send it.
    {
        std::lock_guard lock(m_mutex);
        for (auto& connection : m_connections)
            connection->channel.ShutdownReading();
    }
    const auto graceEnd = std::chrono::steady_clock::now() + m_limits.stopGrace;
    while (std::chrono::steady_clock::now() < graceEnd) {
        Reap(false);
        std::lock_guard lock(m_mutex);
        if (m_connections.empty())
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    // Then the rest is cut off.
    m_stopping.store(true);
    {
        std::lock_guard lock(m_mutex);
        for (auto& connection : m_connections)
            connection->channel.Shutdown();
    }
    Reap(true);

    // Removes the socket only when it is still the one this server made.
    struct stat onDisk
    { };
    if (::lstat(m_path.c_str(), &onDisk) == 0 && onDisk.st_dev == m_socketFile.first
        && onDisk.st_ino == m_socketFile.second)
        ::unlink(m_path.c_str());
    m_listener.close();
}

void ControlServer::AcceptLoop()
{
    while (!m_closing.load()) {
        pollfd ready[3] = {{m_listener.get(), POLLIN, 0}, {m_wake.get(), POLLIN, 0}, {m_reapBell.get(), POLLIN, 0}};
        if (::poll(ready, 3, -1) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        if (ready[1].revents != 0)
            break;
        if (ready[2].revents != 0) {
            std::uint64_t rings = 0;
            (void)!::read(m_reapBell.get(), &rings, sizeof(rings));
            Reap(false);
        }
        if (ready[0].revents & POLLIN)
            Accept();
    }
}

void ControlServer::Accept()
{
    UniqueFd socket(::accept4(m_listener.get(), nullptr, nullptr, SOCK_CLOEXEC));
    if (!socket.valid())
        return; // the client went away before it was taken, or descriptors ran out for now
    const timeval sendTimeout = TimevalOf(m_limits.sendTimeout);
    ::setsockopt(socket.get(), SOL_SOCKET, SO_SNDTIMEO, &sendTimeout, sizeof(sendTimeout));

    // Connections that only wait for a request must not lock everyone else out: when every
    // place is taken, the one that has waited longest makes room. A connection that has just
    // sent its reply is about to wait: it is given a moment to get there before the
    // newcomer is turned away.
    std::unique_lock lock(m_mutex, std::defer_lock);
    for (int attempt = 0;; ++attempt) {
        Reap(false);
        lock.lock();
        if (m_connections.size() < m_limits.maxConnections || GiveUpLongestWaitingLocked())
            break;
        if (attempt == 20) {
            LineChannel refused(std::move(socket), 0);
            refused.WriteLine(EncodeControlLine(ControlError("the scheduler is busy: too many connections")));
            return;
        }
        lock.unlock();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    auto connection = std::make_unique<Connection>(std::move(socket), m_closing, m_stopping);
    Connection* raw = connection.get();
    m_connections.push_back(std::move(connection));
    raw->thread = std::thread([this, raw] {
        Serve(*raw);
        // The client sees the end at once, after the last reply; the descriptor is closed
        // when the accept loop reaps the thread, which the doorbell asks for now. Done comes
        // first: a client that saw the end and connects again finds the place free.
        raw->done.store(true);
        raw->channel.Shutdown();
        const std::uint64_t one = 1;
        (void)!::write(m_reapBell.get(), &one, sizeof(one));
    });
}

bool ControlServer::GiveUpLongestWaitingLocked()
{
    Connection* longest = nullptr;
    for (auto& connection : m_connections) {
        if (connection->done.load())
            continue;
        // A client that has gone already, though its thread has not seen it yet, makes room
        // on its own: giving up a live one for it would be wrong.
        pollfd hangUp {connection->channel.fd(), POLLRDHUP, 0};
        if (::poll(&hangUp, 1, 0) == 1 && (hangUp.revents & (POLLRDHUP | POLLHUP)) != 0)
            return true;
    }
    for (auto& connection : m_connections) {
        if (connection->done.load() || connection->state.load() != Connection::State::Waiting)
            continue;
        if (!longest || connection->waitingSince.load() < longest->waitingSince.load())
            longest = connection.get();
    }
    return longest && longest->GiveUp();
}

void ControlServer::Reap(bool all)
{
    std::list<std::unique_ptr<Connection>> ended;
    {
        std::lock_guard lock(m_mutex);
        for (auto it = m_connections.begin(); it != m_connections.end();) {
            if (all || (*it)->done.load()) {
                ended.push_back(std::move(*it));
                it = m_connections.erase(it);
            } else {
                ++it;
            }
        }
    }
    // Joined outside the lock; each socket closes with its connection, after its thread.
    for (auto& connection : ended) {
        if (connection->thread.joinable())
            connection->thread.join();
    }
}

void ControlServer::Serve(Connection& connection)
{
    const auto peer = UnixSocket::PeerOf(connection.channel.fd());
    if (!PeerAllowed(peer)) {
        // The refusal answers the peer's first request: closing with that request unread
        // would reset the connection, and the peer might never see why it was refused.
        std::string request;
        connection.channel.ReadLine(request, std::min(m_limits.idleTimeout, std::chrono::milliseconds(2000)));
        connection.Send(ControlError(
            "permission denied: this scheduler answers only user id " + std::to_string(::geteuid()) + " and root"));
        return;
    }
    std::string line;
    while (!m_closing.load()) {
        connection.BeginWaiting();
        const LineChannel::Read read = connection.channel.ReadLine(line, m_limits.idleTimeout);
        if (!connection.BeginRequest()) {
            // Given up to make room for another client while it only waited.
            connection.Send(ControlError("closing this idle connection: another client needs its place"));
            return;
        }
        switch (read) {
        case LineChannel::Read::Line:
            break;
        case LineChannel::Read::TooLong:
            connection.Send(
                ControlError("request too long (more than " + std::to_string(control::kMaxRequestBytes) + " bytes)"));
            return;
        case LineChannel::Read::Closed:
            if (connection.channel.HasPartialLine())
                connection.Send(ControlError("request cut short: no end of line"));
            return;
        case LineChannel::Read::TimedOut:
            connection.Send(ControlError("no request for too long; closing the connection"));
            return;
        case LineChannel::Read::Failed:
            return;
        }
        auto request = ParseControlRequest(line);
        if (!request) {
            if (!connection.Send(ControlError(request.error())))
                return;
            continue;
        }
        try {
            m_handler.Handle(*request, connection);
        } catch (const std::exception& e) {
            // A fault in one request must not end the scheduler.
            connection.Send(ControlError(std::string("internal error: ") + e.what()));
        }
    }
}

} // namespace kelvanto
