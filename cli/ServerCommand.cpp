#include "cli/ServerCommand.h"

#include "app/ControlProtocol.h"
#include "app/ServerProfileCommands.h"
#include "app/TaskJson.h"
#include "cli/ChangeCommand.h"
#include "cli/ExitCode.h"
#include "model/ServerListStore.h"
#include "model/ServerProfileCheck.h"
#include "mysql/MySqlLibrary.h"

#include <istream>
#include <optional>
#include <ostream>

namespace kelvanto
{

namespace
{

// The profile settings given on the command line: only the members named there, so that
// an edit changes only them.
struct ProfileOptions
{
    std::optional<std::string> positional; // the profile's name
    Json members = Json::object();
    std::optional<std::string> portText;
    bool passwordGiven = false;
    bool savePasswordGiven = false;
};

// Reads the options; an empty text on success, else the usage fault.
std::string ParseProfileOptions(
    const std::vector<std::string>& args, bool allowRename, std::istream& in, ProfileOptions& parsed)
{
    const struct
    {
        const char* option;
        const char* member;
    } texts[] = {{"--host", "host"}, {"--user", "user"}, {"--password", "password"}, {"--database", "database"},
        {"--comment", "comment"}, {"--name", "connectionName"}};
    const struct
    {
        const char* on;
        const char* off;
        const char* member;
    } switches[] = {{"--save-password", "--no-save-password", "savePassword"},
        {"--compression", "--no-compression", "useCompression"}, {"--ssl", "--no-ssl", "useSsl"}};

    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        bool handled = false;
        for (const auto& text : texts) {
            if (a != text.option)
                continue;
            if (a == "--name" && !allowRename)
                return "unknown option --name";
            if (i + 1 >= args.size())
                return a + " needs a value";
            parsed.members[text.member] = TextToJson(args[++i]);
            parsed.passwordGiven |= a == "--password";
            handled = true;
        }
        for (const auto& flag : switches) {
            if (a != flag.on && a != flag.off)
                continue;
            parsed.members[flag.member] = a == flag.on ? 1 : 0;
            parsed.savePasswordGiven |= std::string(flag.member) == "savePassword";
            handled = true;
        }
        if (handled)
            continue;
        if (a == "--port") {
            if (i + 1 >= args.size())
                return "--port needs a value";
            parsed.portText = args[++i];
        } else if (a == "--password-stdin") {
            std::string password;
            std::getline(in, password);
            parsed.members["password"] = TextToJson(password);
            parsed.passwordGiven = true;
        } else if (a.size() > 1 && a[0] == '-') {
            return "unknown option " + a;
        } else if (!parsed.positional) {
            parsed.positional = a;
        } else {
            return "too many arguments";
        }
    }
    // A password given is a password to keep, unless told otherwise.
    if (parsed.passwordGiven && !parsed.savePasswordGiven)
        parsed.members["savePassword"] = 1;
    return {};
}

// The server list as stored; a missing or foreign file is an empty list.
ServerList StoredServers(const DataFolder& folder)
{
    ServerList servers;
    (void)LoadServerListFile(folder.ServerListFile(), servers);
    return servers;
}

// Tabs and line ends inside a field would break the columns.
std::string Field(std::string text)
{
    for (char& c : text) {
        if (c == '\t' || c == '\n' || c == '\r')
            c = ' ';
    }
    return text;
}

} // namespace

int ServerCommand::Run(const std::vector<std::string>& args)
{
    if (args.empty()) {
        m_context.Fail("server needs list, add, edit, remove or test");
        return ExitCode::Usage;
    }
    const std::string sub = args[0];
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    if (sub == "list")
        return List(rest);
    if (sub == "add" || sub == "edit" || sub == "remove")
        return Change(sub, rest);
    if (sub == "test")
        return Test(rest);
    m_context.Fail("unknown server command " + sub);
    return ExitCode::Usage;
}

int ServerCommand::List(const std::vector<std::string>& args)
{
    if (!args.empty()) {
        m_context.Fail("server list takes no arguments");
        return ExitCode::Usage;
    }
    const auto folder = m_context.LocateFolder();
    if (!folder)
        return ExitCode::Failure;
    // The server manager's columns, then the database and the protocol switches.
    const ServerList servers = StoredServers(*folder);
    for (const ServerConnection& p : servers.profiles()) {
        std::string switches;
        if (p.useSsl == 1)
            switches += "ssl";
        if (p.useCompression == 1)
            switches += switches.empty() ? "compression" : ",compression";
        m_context.out << Field(p.connectionName) << '\t' << Field(p.host) << '\t' << p.port << '\t' << Field(p.user)
                      << '\t' << (p.savePassword == 1 ? "****" : "NULL") << '\t' << Field(p.comment) << '\t'
                      << Field(p.database) << '\t' << switches << '\n';
    }
    return ExitCode::Ok;
}

int ServerCommand::Change(const std::string& sub, const std::vector<std::string>& args)
{
    ProfileOptions parsed;
    const std::string fault = sub == "remove" ? (args.size() == 1 ? "" : "usage: server remove NAME")
                                              : ParseProfileOptions(args, sub == "edit", m_context.in, parsed);
    if (!fault.empty()) {
        m_context.Fail(fault);
        return ExitCode::Usage;
    }
    if (sub == "remove") {
        return ChangeCommand(m_context).Send("server remove",
            ControlRequestLine("server-remove", {{"name", TextToJson(args[0])}}),
            [](const Json& reply) { return "Removed server profile \"" + TextOf(reply["name"]) + "\""; });
    }
    if (!parsed.positional) {
        m_context.Fail("usage: server " + sub + " NAME [options]");
        return ExitCode::Usage;
    }
    Json members {{"profile", parsed.members}};
    if (sub == "add") {
        members["profile"]["connectionName"] = TextToJson(*parsed.positional);
    } else {
        members = Json {{"name", TextToJson(*parsed.positional)}, {"profile", parsed.members}};
    }
    if (parsed.portText)
        members["portText"] = TextToJson(*parsed.portText);
    const std::string done = sub == "add" ? "Added" : "Changed";
    return ChangeCommand(m_context).Send("server " + sub, ControlRequestLine("server-" + sub, std::move(members)),
        [&](const Json& reply) { return done + " server profile \"" + TextOf(reply["name"]) + "\""; });
}

int ServerCommand::Test(const std::vector<std::string>& args)
{
    ProfileOptions parsed;
    if (auto fault = ParseProfileOptions(args, false, m_context.in, parsed); !fault.empty()) {
        m_context.Fail(fault);
        return ExitCode::Usage;
    }
    ServerConnection start;
    if (parsed.positional) {
        const auto folder = m_context.LocateFolder();
        if (!folder)
            return ExitCode::Failure;
        bool found = false;
        const ServerList servers = StoredServers(*folder);
        for (const ServerConnection& profile : servers.profiles()) {
            if (profile.connectionName == *parsed.positional) {
                start = profile;
                found = true;
                break;
            }
        }
        if (!found) {
            m_context.Fail(NoSuchProfileMessage(*parsed.positional));
            return ExitCode::Failure;
        }
        start.port = DisplayedPort(start.port);
    } else if (!parsed.members.contains("host")) {
        m_context.Fail("usage: server test NAME [options], or server test --host HOST [options]");
        return ExitCode::Usage;
    }
    auto profile = ServerProfileFromJson(parsed.members, start);
    if (!profile) {
        m_context.Fail(profile.error());
        return ExitCode::Failure;
    }
    InitMySqlLibrary();
    const auto tested
        = TestServerProfile(m_context.connector, *profile, parsed.portText.value_or(std::to_string(profile->port)));
    if (!tested) {
        m_context.err << tested.error() << "\n";
        return ExitCode::Failure;
    }
    m_context.out << *tested << "\n";
    return ExitCode::Ok;
}

} // namespace kelvanto
