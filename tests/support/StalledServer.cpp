#include "tests/support/StalledServer.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <vector>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace kelvanto::test
{

namespace
{

// A socket listening on a free port of 127.0.0.1; its port in *port.
UniqueFd ListenOnLoopback(int* port)
{
    UniqueFd socket(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (!socket.valid() || ::bind(socket.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0
        || ::listen(socket.get(), 64) != 0
        || ::getsockname(socket.get(), reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        ADD_FAILURE() << "cannot listen on 127.0.0.1: " << std::strerror(errno);
        return UniqueFd();
    }
    *port = ntohs(address.sin_port);
    return socket;
}

UniqueFd ConnectTo(const std::string& host, int port)
{
    UniqueFd socket(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    if (!socket.valid() || ::inet_pton(AF_INET, host.c_str(), &address.sin_addr) != 1
        || ::connect(socket.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
        return UniqueFd();
    return socket;
}

bool WriteAll(int fd, const char* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t written = ::send(fd, data, size, MSG_NOSIGNAL);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

} // namespace

SilentListener::SilentListener()
    : m_socket(ListenOnLoopback(&m_port))
{ }

StallingProxy::StallingProxy(const std::string& host, int port)
    : m_host(host == "localhost" ? "127.0.0.1" : host)
    , m_targetPort(port)
    , m_listener(ListenOnLoopback(&m_port))
{
    int pipe[2];
    if (::pipe2(pipe, O_CLOEXEC | O_NONBLOCK) == 0) {
        m_wakeRead = UniqueFd(pipe[0]);
        m_wakeWrite = UniqueFd(pipe[1]);
    }
    m_thread = std::thread([this] { Serve(); });
}

StallingProxy::~StallingProxy()
{
    m_stop = true;
    const char wake = 's';
    [[maybe_unused]] const ssize_t written = ::write(m_wakeWrite.get(), &wake, 1);
    m_thread.join();
}

void StallingProxy::Freeze()
{
    m_frozen = true;
    const char wake = 'f';
    [[maybe_unused]] const ssize_t written = ::write(m_wakeWrite.get(), &wake, 1);
}

void StallingProxy::Serve()
{
    while (!m_stop) {
        std::vector<pollfd> fds {{m_wakeRead.get(), POLLIN, 0}};
        // Frozen, it only waits for the end: nothing is accepted, read or written.
        if (!m_frozen) {
            fds.push_back({m_listener.get(), POLLIN, 0});
            for (const auto& [fd, socket] : m_sockets)
                fds.push_back({fd, POLLIN, 0});
        }
        if (::poll(fds.data(), fds.size(), -1) < 0 && errno != EINTR)
            return;
        char drained[16];
        while (::read(m_wakeRead.get(), drained, sizeof drained) > 0) { }
        if (m_frozen || m_stop)
            continue;
        if (fds[1].revents & POLLIN)
            Accept();
        for (std::size_t i = 2; i < fds.size(); ++i) {
            const int fd = fds[i].fd;
            if (fds[i].revents == 0 || !m_sockets.count(fd) || m_frozen)
                continue;
            if (!Forward(fd, m_partner[fd])) {
                const int partner = m_partner[fd];
                m_partner.erase(fd);
                m_partner.erase(partner);
                m_sockets.erase(fd);
                m_sockets.erase(partner);
            }
        }
    }
}

void StallingProxy::Accept()
{
    UniqueFd client(::accept4(m_listener.get(), nullptr, nullptr, SOCK_CLOEXEC));
    if (!client.valid())
        return;
    UniqueFd server = ConnectTo(m_host, m_targetPort);
    if (!server.valid())
        return; // the client sees its connection closed
    ++m_accepted;
    m_partner[client.get()] = server.get();
    m_partner[server.get()] = client.get();
    const int clientFd = client.get();
    const int serverFd = server.get();
    m_sockets.emplace(clientFd, std::move(client));
    m_sockets.emplace(serverFd, std::move(server));
}

bool StallingProxy::Forward(int from, int to)
{
    char buffer[65536];
    const ssize_t got = ::recv(from, buffer, sizeof buffer, 0);
    if (got < 0 && errno == EINTR)
        return true;
    return got > 0 && WriteAll(to, buffer, static_cast<std::size_t>(got));
}

} // namespace kelvanto::test
