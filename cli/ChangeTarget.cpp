#include "cli/ChangeTarget.h"

#include "app/Application.h"
#include "app/ControlCommands.h"
#include "app/DataFolderLock.h"
#include "app/TaskCommands.h"
#include "app/TaskNotices.h"

#include <thread>

namespace kelvanto
{

namespace
{

constexpr std::chrono::milliseconds kRetryInterval {50};
// How often a followed run looks at the Ctrl-C flag.
constexpr std::chrono::milliseconds kPoll {100};

// The in-process side of a request: hands every message to the caller as it is sent, and
// turns a Ctrl-C into the stop request once.
class LocalSession final : public ControlSession
{
public:
    LocalSession(const std::function<void(const Json&)>& onMessage, std::function<void()> stop,
        const std::atomic<bool>* interrupted)
        : m_onMessage(onMessage)
        , m_stop(std::move(stop))
        , m_interrupted(interrupted)
    { }

    bool Send(const Json& message) override
    {
        m_onMessage(message);
        return true;
    }

    bool Ended() const override
    {
        if (m_stop && !m_stopSent && m_interrupted && m_interrupted->load()) {
            m_stopSent = true;
            m_stop();
        }
        return false;
    }

private:
    const std::function<void(const Json&)>& m_onMessage;
    std::function<void()> m_stop;
    const std::atomic<bool>* m_interrupted;
    mutable bool m_stopSent = false;
};

bool IsFinal(const Json& message, bool following)
{
    if (message.contains("ok") && message["ok"] != true)
        return true;
    if (!following)
        return message.contains("ok");
    return message.value("event", "") == "end";
}

} // namespace

bool IsSchedulerHolder(const std::string& description)
{
    const std::string cli = "kelvanto-cli ";
    if (description.empty())
        return false; // a holder that has not written its name yet: asked again shortly
    return description.rfind(cli, 0) != 0 || description == cli + "serve";
}

std::unique_ptr<ChangeTarget> ChangeTarget::Open(CliContext& context, const std::string& verb, bool runsTasks)
{
    auto folder = context.LocateFolder();
    if (!folder)
        return nullptr;
    auto target = std::make_unique<ChangeTarget>();
    target->m_context = &context;
    target->m_socketPath = folder->Root() / control::kSocketFileName;

    const auto deadline = std::chrono::steady_clock::now() + context.settleWait;
    std::string reason;
    for (;;) {
        const auto holder = DataFolderLock::Holder(folder->Root());
        if (holder && IsSchedulerHolder(holder->description)) {
            if (auto client = ControlClient::Connect(target->m_socketPath)) {
                target->m_client.emplace(std::move(*client));
                return target;
            }
            // Starting (no socket yet) or ending: it may answer, or let go, shortly.
            reason = DataFolderLock::BusyMessage(folder->Root(), holder);
        } else {
            // Taken before anything is read, so that the task list read is the one left by
            // the previous holder and no scheduler can start and save over this command's work.
            auto lock = DataFolderLock::Acquire(folder->Root(), "kelvanto-cli " + verb);
            if (lock) {
                context.folderLock = std::move(*lock);
                break;
            }
            reason = lock.error();
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            context.Fail(reason);
            return nullptr;
        }
        std::this_thread::sleep_for(kRetryInterval);
    }

    target->m_notices = std::make_unique<TaskNotices>();
    auto app = Application::Open(*folder, context.clock,
        runsTasks && context.engines ? context.engines() : EngineTable {}, target->m_notices.get());
    if (!app) {
        context.Fail(app.error());
        return nullptr;
    }
    target->m_app = std::move(*app);
    for (const std::string& notice : target->m_app->TakeLoadNotices())
        context.err << "kelvanto-cli: " << notice << "\n";
    target->m_commands = std::make_unique<TaskCommands>(*target->m_app, target->m_notices.get());
    target->m_handler = std::make_unique<ControlCommands>(
        *target->m_app, *target->m_commands, *target->m_notices, "kelvanto-cli " + verb);
    return target;
}

ChangeTarget::~ChangeTarget() = default;

Result<Json> ChangeTarget::Request(const Json& request)
{
    std::optional<Json> reply;
    auto exchanged = Exchange(request, [&](const Json& message) {
        if (!reply)
            reply = message;
    });
    if (!exchanged)
        return Error {exchanged.error()};
    if (!reply)
        return Error {"no reply"};
    return std::move(*reply);
}

Result<void> ChangeTarget::Exchange(
    const Json& request, const std::function<void(const Json&)>& onMessage, const Json& stopRequest)
{
    if (m_client)
        return ExchangeRemote(request, onMessage, stopRequest);
    // The same validation as the scheduler's.
    auto parsed = ParseControlRequest(EncodeControlLine(request));
    if (!parsed) {
        onMessage(ControlError(parsed.error()));
        return Ok();
    }
    std::function<void()> stop;
    if (!stopRequest.is_null())
        stop = [this, &stopRequest] { SendStop(stopRequest); };
    LocalSession session(onMessage, std::move(stop), m_context->interrupted);
    m_handler->Handle(*parsed, session);
    return Ok();
}

Result<void> ChangeTarget::ExchangeRemote(
    const Json& request, const std::function<void(const Json&)>& onMessage, const Json& stopRequest)
{
    const bool following = request.value("cmd", "") == "run";
    if (auto sent = m_client->Send(request); !sent)
        return sent;
    bool stopSent = false;
    for (;;) {
        auto next = m_client->Next(following ? kPoll : std::chrono::milliseconds(60000));
        if (!next)
            return Error {next.error()};
        if (!*next) {
            if (!following)
                return Error {"the scheduler did not answer in time"};
            if (!stopSent && !stopRequest.is_null() && m_context->interrupted && m_context->interrupted->load()) {
                stopSent = true;
                SendStop(stopRequest);
            }
            continue;
        }
        onMessage(**next);
        if (IsFinal(**next, following))
            return Ok();
    }
}

void ChangeTarget::SendStop(const Json& stopRequest)
{
    if (!m_client) {
        auto parsed = ParseControlRequest(EncodeControlLine(stopRequest));
        if (!parsed)
            return;
        const std::function<void(const Json&)> ignore = [](const Json&) {};
        LocalSession session(ignore, {}, nullptr);
        m_handler->Handle(*parsed, session);
        return;
    }
    // On a connection of its own: the first one is busy following the run.
    if (auto client = ControlClient::Connect(m_socketPath))
        (void)client->Request(stopRequest);
}

} // namespace kelvanto
