#include "app/UnixSocket.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace kelvanto
{

namespace
{

std::string SystemError(const std::string& what, const std::filesystem::path& path)
{
    return what + " " + path.string() + ": " + std::strerror(errno);
}

// The address of `path`. When it is too long for sun_path, the folder is opened and the
// address goes through its descriptor, which `folder` keeps open while the address is used.
std::optional<sockaddr_un> AddressOf(const std::filesystem::path& path, UniqueFd& folder)
{
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    std::string text = path.string();
    if (text.size() >= sizeof(address.sun_path)) {
        folder = UniqueFd(::open(path.parent_path().c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
        if (!folder.valid())
            return std::nullopt;
        text = "/proc/self/fd/" + std::to_string(folder.get()) + "/" + path.filename().string();
        if (text.size() >= sizeof(address.sun_path)) {
            errno = ENAMETOOLONG;
            return std::nullopt;
        }
    }
    std::memcpy(address.sun_path, text.c_str(), text.size() + 1);
    return address;
}

} // namespace

Result<UniqueFd> UnixSocket::Listen(const std::filesystem::path& path)
{
    struct stat existing
    { };
    if (::lstat(path.c_str(), &existing) == 0) {
        if (!S_ISSOCK(existing.st_mode))
            return Error {path.string() + " exists and is not a socket; remove it to let the scheduler start"};
        if (::unlink(path.c_str()) != 0 && errno != ENOENT)
            return Error {SystemError("cannot remove the old socket", path)};
    }
    UniqueFd folder;
    const auto address = AddressOf(path, folder);
    if (!address)
        return Error {SystemError("cannot make a socket address for", path)};
    UniqueFd socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!socket.valid())
        return Error {SystemError("cannot create the socket", path)};
    if (::bind(socket.get(), reinterpret_cast<const sockaddr*>(&*address), sizeof(*address)) != 0)
        return Error {SystemError("cannot bind the socket", path)};
    if (::chmod(path.c_str(), 0600) != 0 || ::listen(socket.get(), SOMAXCONN) != 0) {
        const std::string error = SystemError("cannot open the socket", path);
        ::unlink(path.c_str());
        return Error {error};
    }
    return socket;
}

Result<UniqueFd> UnixSocket::Connect(const std::filesystem::path& path)
{
    UniqueFd folder;
    const auto address = AddressOf(path, folder);
    if (!address)
        return Error {SystemError("cannot make a socket address for", path)};
    UniqueFd socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!socket.valid())
        return Error {SystemError("cannot create a socket for", path)};
    int result;
    do {
        result = ::connect(socket.get(), reinterpret_cast<const sockaddr*>(&*address), sizeof(*address));
    } while (result != 0 && errno == EINTR);
    if (result != 0)
        return Error {SystemError("cannot connect to", path)};
    return socket;
}

std::optional<UnixSocket::Peer> UnixSocket::PeerOf(int fd)
{
    ucred credentials {};
    socklen_t size = sizeof(credentials);
    if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &size) != 0 || size != sizeof(credentials))
        return std::nullopt;
    return Peer {credentials.pid, credentials.uid, credentials.gid};
}

} // namespace kelvanto
