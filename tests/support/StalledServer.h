#pragma once

#include "model/UniqueFd.h"

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <thread>

namespace kelvanto::test
{

// A socket on 127.0.0.1 that listens and never accepts: a client's TCP connection completes
// in the kernel's listen queue and the server's greeting never comes, as with a server whose
// accept queue is full.
class SilentListener
{
public:
    SilentListener();
    int port() const { return m_port; }

private:
    int m_port = 0; // set by the socket's making, so declared before it
    UniqueFd m_socket;
};

// A TCP proxy on 127.0.0.1 in front of a real server, served by a thread of its own, that can
// freeze: from Freeze() on it accepts no connection and forwards no byte either way, as a
// server stopped with SIGSTOP (the kernel still completes new connections into the listen
// queue), while the server itself goes on serving the other tests.
class StallingProxy
{
public:
    StallingProxy(const std::string& host, int port);
    ~StallingProxy();
    StallingProxy(const StallingProxy&) = delete;
    StallingProxy& operator=(const StallingProxy&) = delete;

    int port() const { return m_port; }
    void Freeze();
    // Connections forwarded so far.
    int Accepted() const { return m_accepted.load(); }

private:
    void Serve();
    void Accept();
    // Moves what one side sent to the other; false when either side closed.
    bool Forward(int from, int to);

    std::string m_host;
    int m_targetPort;
    int m_port = 0; // set by the listener's making, so declared before it
    UniqueFd m_listener;
    UniqueFd m_wakeRead;
    UniqueFd m_wakeWrite;
    std::atomic<bool> m_frozen {false};
    std::atomic<bool> m_stop {false};
    std::atomic<int> m_accepted {0};
    // Each socket and its partner, both ways; touched by the proxy's thread only.
    std::map<int, int> m_partner;
    std::map<int, UniqueFd> m_sockets;
    std::thread m_thread;
};

} // namespace kelvanto::test
