#include "model/UniqueFd.h"

#include <unistd.h>
#include <utility>

namespace kelvanto
{

UniqueFd::~UniqueFd()
{
    close();
}

UniqueFd::UniqueFd(UniqueFd&& other) noexcept
    : m_fd(std::exchange(other.m_fd, -1))
{ }

UniqueFd& UniqueFd::operator=(UniqueFd&& other) noexcept
{
    if (this != &other) {
        close();
        m_fd = std::exchange(other.m_fd, -1);
    }
    return *this;
}

bool UniqueFd::close() noexcept
{
    if (m_fd < 0)
        return true;
    // The descriptor is released even when close reports an error: retrying could close
    // a descriptor that another thread has opened meanwhile.
    const int result = ::close(std::exchange(m_fd, -1));
    return result == 0;
}

} // namespace kelvanto
