#pragma once

#include "model/Result.h"
#include "model/UniqueFd.h"

#include <filesystem>
#include <optional>
#include <sys/types.h>

namespace kelvanto
{

// Stream sockets in the file system (AF_UNIX), for the control socket of a data folder.
// A path longer than a socket address can hold is reached through the folder's descriptor
// (/proc/self/fd/N/NAME), so that any data folder works.
class UnixSocket
{
public:
    // Binds a listening socket at `path`, replacing a socket file left there by a process
    // that is gone (the caller holds the data folder's lock, so no live scheduler owns it),
    // restricts it to mode 0600 and only then listens, so that nobody connects before the
    // mode is set. Refuses to replace anything at `path` that is not a socket.
    static Result<UniqueFd> Listen(const std::filesystem::path& path);

    // Connects to the socket at `path`.
    static Result<UniqueFd> Connect(const std::filesystem::path& path);

    struct Peer
    {
        pid_t pid = 0;
        uid_t uid = 0;
        gid_t gid = 0;
    };
    // The credentials of the process at the other end of a connected socket (SO_PEERCRED).
    static std::optional<Peer> PeerOf(int fd);
};

} // namespace kelvanto
