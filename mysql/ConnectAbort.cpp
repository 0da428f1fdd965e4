#include "mysql/ConnectAbort.h"

#include <cstdint>

#include <sys/eventfd.h>
#include <unistd.h>

namespace kelvanto
{

ConnectAbort::ConnectAbort()
    : m_event(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK))
{ }

void ConnectAbort::Cancel() noexcept
{
    m_cancelled.store(true);
    if (m_event.valid()) {
        const std::uint64_t one = 1;
        // A full counter still leaves the descriptor readable.
        [[maybe_unused]] const ssize_t written = ::write(m_event.get(), &one, sizeof one);
    }
}

} // namespace kelvanto
