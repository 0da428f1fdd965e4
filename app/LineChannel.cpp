#include "app/LineChannel.h"

#include <cerrno>
#include <poll.h>
#include <sys/socket.h>

namespace kelvanto
{

namespace
{

constexpr std::size_t kChunk = 64 * 1024;

} // namespace

LineChannel::LineChannel(UniqueFd socket, std::size_t maxLineBytes)
    : m_socket(std::move(socket))
    , m_maxLineBytes(maxLineBytes)
{ }

LineChannel::Read LineChannel::ReadLine(std::string& line, std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        const std::size_t end = m_buffer.find('\n', m_scanned);
        if (end != std::string::npos) {
            line.assign(m_buffer, 0, end);
            m_buffer.erase(0, end + 1);
            m_scanned = 0;
            return Read::Line;
        }
        m_scanned = m_buffer.size();
        if (m_buffer.size() > m_maxLineBytes)
            return Read::TooLong;

        int wait = -1;
        if (timeout.count() >= 0) {
            const auto left
                = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0)
                return Read::TimedOut;
            wait = static_cast<int>(left.count());
        }
        pollfd ready {m_socket.get(), POLLIN, 0};
        const int polled = ::poll(&ready, 1, wait);
        if (polled < 0) {
            if (errno == EINTR)
                continue;
            return Read::Failed;
        }
        if (polled == 0)
            return Read::TimedOut;

        // Never more than one byte past the limit, so that memory stays bounded.
        const std::size_t room = std::min(kChunk, m_maxLineBytes + 1 - m_buffer.size());
        const std::size_t start = m_buffer.size();
        m_buffer.resize(start + room);
        const ssize_t got = ::recv(m_socket.get(), m_buffer.data() + start, room, 0);
        m_buffer.resize(start + (got > 0 ? static_cast<std::size_t>(got) : 0));
        if (got == 0)
            return Read::Closed;
        if (got < 0) {
            if (errno == EINTR || errno == EAGAIN)
                continue;
            return errno == ECONNRESET ? Read::Closed : Read::Failed;
        }
    }
}

bool LineChannel::WriteLine(std::string_view text)
{
    std::string message;
    message.reserve(text.size() + 1);
    message.append(text);
    message += '\n';
    std::size_t sent = 0;
    while (sent < message.size()) {
        const ssize_t n = ::send(m_socket.get(), message.data() + sent, message.size() - sent, MSG_NOSIGNAL);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        sent += static_cast<std::size_t>(n);
    }
    return true;
}

bool LineChannel::PeerClosed() const
{
    pollfd ready {m_socket.get(), POLLRDHUP, 0};
    return ::poll(&ready, 1, 0) > 0 && (ready.revents & (POLLRDHUP | POLLHUP | POLLERR)) != 0;
}

void LineChannel::Shutdown() noexcept
{
    ::shutdown(m_socket.get(), SHUT_RDWR);
}

void LineChannel::ShutdownReading() noexcept
{
    ::shutdown(m_socket.get(), SHUT_RD);
}

} // namespace kelvanto
