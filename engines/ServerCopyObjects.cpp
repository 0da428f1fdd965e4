#include "engines/ServerCopyObjects.h"

namespace kelvanto
{

namespace
{

// "Access denied; you need (at least one of) the SUPER privilege(s)": the destination account
// may not create objects for another account.
constexpr unsigned kSpecificAccessDenied = 1227;

} // namespace

ServerCopyObjects::ServerCopyObjects(RunContext& context, Connection& source, Connection& destination,
    const TaskExtras& extras, const ServerCopyMember& member)
    : m_context(context)
    , m_source(source)
    , m_destination(destination)
    , m_member(member)
    , m_choice {extras.triggers, extras.routines, extras.events}
    , m_stripDefiner(extras.definer == DefinerMode::Strip)
{ }

void ServerCopyObjects::StartDatabase(const std::string& database)
{
    m_database = database;
    m_objects = ReadDatabaseObjects(m_source, database, m_choice);
    for (const std::string& failure : m_objects.failures)
        m_context.Log(LogLevel::Error, "Failed to read the " + failure);
}

void ServerCopyObjects::CopyTriggers(const std::string& table)
{
    const auto found = m_objects.triggersByTable.find(table);
    if (found == m_objects.triggersByTable.end())
        return;
    for (const StoredObject& trigger : found->second)
        Copy(trigger);
}

void ServerCopyObjects::CopyRoutines()
{
    for (const StoredObject& routine : m_objects.routines)
        Copy(routine);
}

void ServerCopyObjects::CopyEvents()
{
    for (const StoredObject& event : m_objects.events)
        Copy(event);
}

bool ServerCopyObjects::Send(const std::string& statement)
{
    return m_destination.Query(statement) && m_destination.DiscardResults();
}

bool ServerCopyObjects::Create(const std::string& create, const std::string& what)
{
    if (m_stripDefiner)
        return Send(StripDefiner(create));
    if (Send(create))
        return true;
    if (m_destination.ErrorNumber() != kSpecificAccessDenied)
        return false;
    const std::string stripped = StripDefiner(create);
    if (stripped == create || !Send(stripped))
        return false;
    if (!m_definerWarned) {
        m_definerWarned = true;
        m_context.Log(LogLevel::Warning,
            "The destination server refused the DEFINER of the " + what
                + ": it and every such object after it were created without DEFINER.");
    }
    return true;
}

void ServerCopyObjects::Copy(const StoredObject& object)
{
    if (m_context.QuitRequested())
        return;
    const std::string what = std::string(KindWord(object.kind)) + " " + m_database + "." + object.name;
    const ObjectStatements statements = StatementsFor(object, m_stripDefiner);
    if (!statements.error.empty()) {
        m_context.Log(LogLevel::Error, "Failed to read the " + what + "! - " + statements.error);
        return;
    }
    for (const std::string& statement : statements.before)
        Send(statement);
    const bool created = Create(statements.create, what);
    const std::string failure = created ? std::string()
                                        : "Failed to create the " + what + " on the destination server!  Error NO. "
            + std::to_string(m_destination.ErrorNumber()) + "  " + m_destination.ErrorText();
    for (const std::string& statement : statements.after)
        Send(statement);
    if (!created) {
        m_context.Log(LogLevel::Error, failure);
        return;
    }
    m_context.Log(LogLevel::General, (m_member.restore ? "Restore the " : "Backup the ") + what + " - OK");
}

} // namespace kelvanto
