// The control socket against clients that misbehave: malformed, oversized, cut short and
// random requests, too many connections, and peers of another user id. Its connection
// threads run under ThreadSanitizer too.
#include "app/ControlClient.h"
#include "app/ControlServer.h"
#include "app/UnixSocket.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace kelvanto
{
namespace
{

// Answers every valid request with its command and its decoded name.
class EchoHandler : public ControlHandler
{
public:
    void Handle(const ControlRequest& request, ControlSession& session) override
    {
        Json reply {{"cmd", request.command}};
        if (request.texts.count("name"))
            reply["name"] = TextToJson(request.Text("name"));
        session.Send(ControlOk(std::move(reply)));
    }
};

class ControlSocket : public ::testing::Test
{
protected:
    void SetUp() override
    {
        auto started = ControlServer::Start(socketPath(), handler, limits);
        ASSERT_TRUE(started.ok()) << started.error();
        server = std::move(*started);
    }

    std::filesystem::path socketPath() const { return tmp.path() / control::kSocketFileName; }

    // A raw connection that writes bytes as they are given.
    LineChannel Raw()
    {
        auto socket = UnixSocket::Connect(socketPath());
        EXPECT_TRUE(socket.ok()) << socket.error();
        return LineChannel(socket ? std::move(*socket) : UniqueFd(), control::kMaxReplyBytes);
    }

    static Json ReadReply(LineChannel& channel)
    {
        std::string line;
        if (channel.ReadLine(line, std::chrono::seconds(10)) != LineChannel::Read::Line)
            return Json {{"missing", true}};
        return Json::parse(line, nullptr, false);
    }

    // True when a fresh client is answered: the server goes on.
    bool ServerAnswers()
    {
        auto client = ControlClient::Connect(socketPath());
        if (!client)
            return false;
        auto reply = client->Request(ControlRequestLine("hello"));
        return reply && (*reply)["ok"] == true;
    }

    test::TempDir tmp;
    EchoHandler handler;
    ControlServer::Limits limits;
    std::unique_ptr<ControlServer> server;
};

TEST_F(ControlSocket, ModeIsOwnerOnlyAndAStaleSocketIsReplaced)
{
    struct stat info
    { };
    ASSERT_EQ(::lstat(socketPath().c_str(), &info), 0);
    EXPECT_TRUE(S_ISSOCK(info.st_mode));
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_TRUE(ServerAnswers());

    // A scheduler killed outright leaves its socket file behind; the next one replaces it.
    server.reset();
    EXPECT_FALSE(std::filesystem::exists(socketPath())) << "a clean stop removes the socket";
    auto stale = UnixSocket::Listen(socketPath());
    ASSERT_TRUE(stale.ok());
    stale->close();
    ASSERT_TRUE(std::filesystem::exists(socketPath()));
    EXPECT_FALSE(ControlClient::Connect(socketPath()).ok()) << "nobody listens on a stale socket";
    auto restarted = ControlServer::Start(socketPath(), handler);
    ASSERT_TRUE(restarted.ok()) << restarted.error();
    server = std::move(*restarted);
    EXPECT_TRUE(ServerAnswers());

    // Anything else at that path is left alone.
    server.reset();
    std::ofstream(socketPath()) << "not a socket";
    auto refused = ControlServer::Start(socketPath(), handler);
    ASSERT_FALSE(refused.ok());
    EXPECT_NE(refused.error().find("is not a socket"), std::string::npos) << refused.error();
}

TEST_F(ControlSocket, EveryBadRequestGetsItsErrorAndTheConnectionGoesOn)
{
    struct Row
    {
        const char* name;
        std::string line;
        std::string error; // empty: accepted
    };
    const Row rows[] = {
        {"not JSON", "hello", "not valid JSON"},
        {"empty line", "", "not valid JSON"},
        {"not UTF-8", "{\"v\":1,\"cmd\":\"run\",\"name\":\"\xe9\"}", "not valid JSON"},
        {"an array", "[1,2]", "a request must be a JSON object"},
        {"no version", R"({"cmd":"hello"})", "v: the protocol version is missing"},
        {"version as text", R"({"v":"1","cmd":"hello"})", "v: the protocol version is missing"},
        {"future version", R"({"v":2,"cmd":"hello"})",
            "v: protocol version 2 is not spoken here (this scheduler speaks version 1)"},
        {"no command", R"({"v":1})", "cmd: the command is missing"},
        {"unknown command", R"({"v":1,"cmd":"format-disk"})", "cmd: unknown command \"format-disk\""},
        {"unknown member", R"({"v":1,"cmd":"list","all":true})", "all: unknown member of list"},
        {"missing member", R"({"v":1,"cmd":"task-rename","name":"a"})", "newName: missing"},
        {"name not a text", R"({"v":1,"cmd":"run","name":5})", "name: must be a text or {\"hex\": \"...\"}"},
        {"odd hex", R"({"v":1,"cmd":"run","name":{"hex":"414"}})",
            "name.hex: must hold an even number of hexadecimal digits"},
        {"task not an object", R"({"v":1,"cmd":"task-import","task":"x"})", "task: must be an object"},
        {"valid", R"({"v":1,"cmd":"run","name":"Nightly"})", ""},
        {"valid, name in hex", R"({"v":1,"cmd":"stop","name":{"hex":"e9"}})", ""},
        {"carriage return before the line end", "{\"v\":1,\"cmd\":\"list\"}\r", ""},
    };
    LineChannel channel = Raw();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(channel.WriteLine(row.line));
        const Json reply = ReadReply(channel);
        ASSERT_TRUE(reply.is_object()) << reply.dump();
        EXPECT_EQ(reply["v"], 1);
        if (row.error.empty()) {
            EXPECT_EQ(reply["ok"], true) << reply.dump();
        } else {
            EXPECT_EQ(reply["ok"], false);
            EXPECT_EQ(reply["error"], row.error);
        }
    }
    ASSERT_TRUE(channel.WriteLine(R"({"v":1,"cmd":"stop","name":{"hex":"e9"}})"));
    EXPECT_EQ(ReadReply(channel)["name"], Json({{"hex", "e9"}})) << "bytes come back as they went";
}

TEST_F(ControlSocket, OversizedAndCutShortRequestsAreAnsweredAndTheServerGoesOn)
{
    {
        LineChannel channel = Raw();
        const std::string huge(control::kMaxRequestBytes + 10, 'x');
        channel.WriteLine(huge); // the server may close before taking it all
        const Json reply = ReadReply(channel);
        EXPECT_EQ(reply["error"], "request too long (more than 8388608 bytes)");
    }
    {
        LineChannel channel = Raw();
        const std::string part = R"({"v":1,"cmd":"li)";
        ASSERT_EQ(::send(channel.fd(), part.data(), part.size(), MSG_NOSIGNAL), static_cast<ssize_t>(part.size()));
        ::shutdown(channel.fd(), SHUT_WR);
        EXPECT_EQ(ReadReply(channel)["error"], "request cut short: no end of line");
    }
    EXPECT_TRUE(ServerAnswers());
}

TEST_F(ControlSocket, ThousandsOfRandomRequestsEachGetOneReply)
{
    std::mt19937 random(20261207);
    const std::string valid[] = {R"({"v":1,"cmd":"list"})", R"({"v":1,"cmd":"run","name":"Nightly"})",
        R"({"v":1,"cmd":"task-rename","name":"a","newName":"b"})",
        R"({"v":1,"cmd":"task-import","task":{"name":"x","type":1}})"};
    LineChannel channel = Raw();
    int accepted = 0;
    for (int i = 0; i < 3000; ++i) {
        std::string line;
        switch (random() % 3) {
        case 0: // random bytes
            line.resize(random() % 200);
            for (char& c : line)
                c = static_cast<char>(random() % 256);
            break;
        case 1: { // a valid request with bytes changed
            line = valid[random() % std::size(valid)];
            for (unsigned n = random() % 4; n > 0; --n)
                line[random() % line.size()] = static_cast<char>(random() % 256);
            break;
        }
        default: // a valid request cut at a random point
            line = valid[random() % std::size(valid)];
            line.resize(random() % line.size());
            break;
        }
        std::replace(line.begin(), line.end(), '\n', ' ');
        SCOPED_TRACE(i);
        ASSERT_TRUE(channel.WriteLine(line));
        const Json reply = ReadReply(channel);
        ASSERT_TRUE(reply.is_object() && reply.contains("ok")) << reply.dump();
        ASSERT_TRUE(reply["ok"] == true || reply["error"].is_string()) << reply.dump();
        accepted += reply["ok"] == true;
    }
    EXPECT_GT(accepted, 0);
    EXPECT_TRUE(ServerAnswers());
}

// Idle connections cannot lock the command line out: when every place is taken, the one
// that has waited longest for a request makes room (and is told why); a connection that
// ends, after an error reply or by its idle time-out, is closed at once.
TEST_F(ControlSocket, TheLongestWaitingConnectionMakesRoomAndEndedOnesCloseAtOnce)
{
    server.reset();
    limits.maxConnections = 2;
    // Long enough that a loaded machine does not time the first connection out before the
    // third arrives, which would make it leave for the wrong reason.
    limits.idleTimeout = std::chrono::milliseconds(3000);
    SetUp();
    LineChannel first = Raw();
    LineChannel second = Raw();
    for (LineChannel* channel : {&first, &second}) {
        channel->WriteLine(R"({"v":1,"cmd":"list"})");
        EXPECT_EQ(ReadReply(*channel)["ok"], true);
    }
    // Both are idle now (their threads are back to waiting a moment after the reply)...
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    // ...and the first waited longest: it goes, the newcomer is served.
    EXPECT_TRUE(ServerAnswers());
    EXPECT_EQ(ReadReply(first)["error"], "closing this idle connection: another client needs its place");
    std::string line;
    EXPECT_EQ(first.ReadLine(line, std::chrono::seconds(5)), LineChannel::Read::Closed);

    // An error reply that ends the connection is followed by its end, not by silence.
    LineChannel tooLong = Raw();
    tooLong.WriteLine(std::string(control::kMaxRequestBytes + 10, 'x'));
    EXPECT_NE(ReadReply(tooLong)["error"].get<std::string>().find("request too long"), std::string::npos);
    EXPECT_EQ(tooLong.ReadLine(line, std::chrono::seconds(5)), LineChannel::Read::Closed);

    // The idle time-out, too.
    EXPECT_EQ(ReadReply(second)["error"], "no request for too long; closing the connection");
    EXPECT_EQ(second.ReadLine(line, std::chrono::seconds(5)), LineChannel::Read::Closed);
    EXPECT_TRUE(ServerAnswers());
}

// The reply that a process of user id `uid` gets to a request, or the reason it got none.
std::string ReplyUnderUid(const std::filesystem::path& socket, uid_t uid)
{
    int pipeFds[2];
    if (::pipe(pipeFds) != 0)
        return "<pipe failed>";
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipeFds[0]);
        std::string answer;
        if (::setgid(uid) != 0 || ::setuid(uid) != 0) {
            answer = "<setuid failed>";
        } else if (auto client = ControlClient::Connect(socket); !client) {
            answer = "<cannot connect: " + client.error() + ">";
        } else if (auto reply = client->Request(ControlRequestLine("hello")); !reply) {
            answer = "<no reply: " + reply.error() + ">";
        } else {
            answer = (*reply)["ok"] == true ? "ok" : (*reply)["error"].get<std::string>();
        }
        (void)!::write(pipeFds[1], answer.data(), answer.size());
        ::_exit(0);
    }
    ::close(pipeFds[1]);
    std::string answer;
    char buffer[512];
    ssize_t n;
    while ((n = ::read(pipeFds[0], buffer, sizeof(buffer))) > 0)
        answer.append(buffer, static_cast<std::size_t>(n));
    ::close(pipeFds[0]);
    ::waitpid(child, nullptr, 0);
    return answer;
}

TEST_F(ControlSocket, PeersOfAnotherUserIdAreRefused)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to run a client under another user id (CI runs as root)";
    const uid_t nobody = 65534;
    // The file's mode keeps other users out...
    ::chmod(tmp.path().c_str(), 0711);
    EXPECT_NE(ReplyUnderUid(socketPath(), nobody).find("<cannot connect"), std::string::npos);
    // ...and where it does not (a socket made too open), the peer credentials still do.
    ::chmod(socketPath().c_str(), 0666);
    EXPECT_EQ(ReplyUnderUid(socketPath(), nobody), "permission denied: this scheduler answers only user id 0 and root");
    EXPECT_EQ(ReplyUnderUid(socketPath(), 0), "ok");
    EXPECT_TRUE(ServerAnswers());
}

TEST_F(ControlSocket, ALongFolderPathStillWorks)
{
    std::filesystem::path deep = tmp.path();
    while (deep.string().size() < 200)
        deep /= "a-rather-long-folder-name";
    std::filesystem::create_directories(deep);
    EchoHandler other;
    auto started = ControlServer::Start(deep / control::kSocketFileName, other);
    ASSERT_TRUE(started.ok()) << started.error();
    auto client = ControlClient::Connect(deep / control::kSocketFileName);
    ASSERT_TRUE(client.ok()) << client.error();
    auto reply = client->Request(ControlRequestLine("run", {{"name", "x"}}));
    ASSERT_TRUE(reply.ok()) << reply.error();
    EXPECT_EQ((*reply)["name"], "x");
}

} // namespace
} // namespace kelvanto
