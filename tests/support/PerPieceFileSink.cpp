#include "tests/support/PerPieceFileSink.h"

#include "model/UniqueFd.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace kelvanto::test
{

bool PerPieceFileSink::Create(const std::string& path)
{
    if (path.empty())
        return false;
    UniqueFd file(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600));
    return file.valid() && file.close();
}

bool PerPieceFileSink::Append(const std::string& path, std::string_view piece)
{
    if (path.empty())
        return false;
    UniqueFd file(::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC));
    if (!file.valid())
        return false;
    while (!piece.empty()) {
        const ssize_t written = ::write(file.get(), piece.data(), piece.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        piece.remove_prefix(static_cast<std::size_t>(written));
    }
    return file.close();
}

} // namespace kelvanto::test
