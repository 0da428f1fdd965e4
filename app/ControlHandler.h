#pragma once

#include "app/ControlProtocol.h"

namespace kelvanto
{

// One connection of a control client, as a handler sees it while it answers a request.
class ControlSession
{
public:
    virtual ~ControlSession() = default;
    // Writes one message line; false when the client is gone or the scheduler is stopping.
    virtual bool Send(const Json& message) = 0;
    // True once the client closed its end or the server is stopping: a handler that
    // streams events (a followed run) ends then.
    virtual bool Ended() const = 0;
};

// What a scheduler does with the requests of its control socket. Handle() is called on
// the connection's own thread, once per valid request, and writes at least one reply
// through the session; several connections may call it at once. A handler whose commands
// must run on one thread (a window's) hands them over to that thread and waits.
class ControlHandler
{
public:
    virtual ~ControlHandler() = default;
    virtual void Handle(const ControlRequest& request, ControlSession& session) = 0;
};

} // namespace kelvanto
