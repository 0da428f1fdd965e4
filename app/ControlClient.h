#pragma once

#include "app/ControlProtocol.h"
#include "app/LineChannel.h"
#include "model/Result.h"

#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>

namespace kelvanto
{

// The client end of a scheduler's control socket (kelvanto-cli uses it).
class ControlClient
{
public:
    // Connects to the socket of a scheduler.
    static Result<ControlClient> Connect(const std::filesystem::path& socketPath);

    // Sends one request line and waits for the reply (up to `timeout`; negative: no limit).
    // A reply with "ok": false comes back as a Json like any other; an Error means that the
    // conversation itself failed (the scheduler went away, the reply was not JSON).
    Result<Json> Request(const Json& request, std::chrono::milliseconds timeout = std::chrono::seconds(60));
    // Sends one request line without waiting.
    Result<void> Send(const Json& request);
    // The next message line, or nullopt when none came within `timeout`.
    Result<std::optional<Json>> Next(std::chrono::milliseconds timeout);

    // Breaks a blocked call from another thread.
    void Shutdown() noexcept { m_channel->Shutdown(); }

private:
    explicit ControlClient(std::unique_ptr<LineChannel> channel)
        : m_channel(std::move(channel))
    { }

    std::unique_ptr<LineChannel> m_channel;
};

} // namespace kelvanto
