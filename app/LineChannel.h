#pragma once

#include "model/UniqueFd.h"

#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>

namespace kelvanto
{

// Lines of text over a connected stream socket: one message per line, '\n' at its end.
// Reads are bounded: a line longer than the limit is reported, never buffered whole.
// Writes never raise SIGPIPE. One thread reads and writes; another may call Shutdown()
// to break a blocked read or write (the descriptor stays open until the channel goes).
class LineChannel
{
public:
    enum class Read {
        Line, // a whole line, without its '\n'
        TooLong, // more than the limit without a '\n'; the channel cannot go on
        Closed, // the peer closed its end (a last line without '\n' counts as cut short)
        TimedOut, // nothing complete within the time given
        Failed, // a system error
    };

    LineChannel(UniqueFd socket, std::size_t maxLineBytes);

    // Waits up to `timeout` (negative: no limit) for the next line.
    Read ReadLine(std::string& line, std::chrono::milliseconds timeout);
    // Writes text and a '\n'; false when the peer is gone or the write failed.
    bool WriteLine(std::string_view text);
    // True when bytes of a line without its '\n' are waiting (a request cut short).
    bool HasPartialLine() const { return !m_buffer.empty(); }
    // True when the peer has closed or reset its end (checked without waiting).
    bool PeerClosed() const;
    // Ends both directions: a blocked ReadLine or WriteLine in another thread returns.
    void Shutdown() noexcept;
    // Ends reading only: a blocked ReadLine returns Closed, PeerClosed() turns true, and
    // lines can still be written.
    void ShutdownReading() noexcept;

    int fd() const { return m_socket.get(); }

private:
    UniqueFd m_socket;
    std::size_t m_maxLineBytes;
    std::string m_buffer;
    // Where the search for '\n' goes on in m_buffer.
    std::size_t m_scanned = 0;
};

} // namespace kelvanto
