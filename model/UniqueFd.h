#pragma once

namespace kelvanto
{

// Owns one POSIX file descriptor: move-only, -1 when empty, closed by the destructor
// (which ignores the result: call close() where a failed close must be reported).
class UniqueFd
{
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) noexcept
        : m_fd(fd)
    { }
    ~UniqueFd();
    UniqueFd(UniqueFd&& other) noexcept;
    UniqueFd& operator=(UniqueFd&& other) noexcept;
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;

    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }
    // Closes the descriptor; returns false (errno set) when the close reported an error.
    bool close() noexcept;

private:
    int m_fd = -1;
};

} // namespace kelvanto
