#include "app/ControlClient.h"

#include "app/UnixSocket.h"

namespace kelvanto
{

Result<ControlClient> ControlClient::Connect(const std::filesystem::path& socketPath)
{
    auto socket = UnixSocket::Connect(socketPath);
    if (!socket)
        return Error {socket.error()};
    return ControlClient(std::make_unique<LineChannel>(std::move(*socket), control::kMaxReplyBytes));
}

Result<void> ControlClient::Send(const Json& request)
{
    if (!m_channel->WriteLine(EncodeControlLine(request)))
        return Error {"the scheduler closed the connection"};
    return Ok();
}

Result<std::optional<Json>> ControlClient::Next(std::chrono::milliseconds timeout)
{
    std::string line;
    switch (m_channel->ReadLine(line, timeout)) {
    case LineChannel::Read::Line:
        break;
    case LineChannel::Read::TimedOut:
        return std::optional<Json> {};
    case LineChannel::Read::TooLong:
        return Error {"the scheduler's reply is too long"};
    case LineChannel::Read::Closed:
    case LineChannel::Read::Failed:
        return Error {"the scheduler closed the connection"};
    }
    if (!JsonDepthFault(line, control::kMaxRequestDepth).empty())
        return Error {"the scheduler's reply nests too deep"};
    Json message = Json::parse(line, nullptr, false);
    if (message.is_discarded() || !message.is_object())
        return Error {"the scheduler's reply is not a JSON object"};
    return std::optional<Json> {std::move(message)};
}

Result<Json> ControlClient::Request(const Json& request, std::chrono::milliseconds timeout)
{
    const auto sent = Send(request);
    // A scheduler that turned the connection away (busy, another user) said why before it
    // closed: that reply, already here, tells more than the failed write.
    auto reply = Next(sent ? timeout : std::chrono::milliseconds(0));
    if (!sent && (!reply || !*reply))
        return Error {sent.error()};
    if (!reply)
        return Error {reply.error()};
    if (!*reply)
        return Error {"the scheduler did not answer in time"};
    return std::move(**reply);
}

} // namespace kelvanto
