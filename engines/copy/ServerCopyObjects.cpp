#include "engines/copy/ServerCopyObjects.h"

#include "mysql/ServerIdentity.h"

#include <cctype>

namespace kelvanto
{

namespace
{

// "Access denied; you need (at least one of) the SUPER privilege(s)": the destination account
// may not create objects for another account.
constexpr unsigned kSpecificAccessDenied = 1227;

bool HasHighBytes(std::string_view text)
{
    for (const char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return true;
    }
    return false;
}

// Whether two names could be one on a server that folds the case of names: equal but for
// the case of ASCII letters, or both with bytes beyond ASCII (which only the server folds).
bool MaybeSameName(std::string_view a, std::string_view b)
{
    if (HasHighBytes(a) && HasHighBytes(b))
        return true;
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

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

void ServerCopyObjects::StartDatabase(const std::string& database, const std::string& destination)
{
    m_database = database;
    m_destinationDatabase = destination;
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

bool ServerCopyObjects::RefusedView(const std::string& create, const std::string& what)
{
    // The server writes the names of a view's definition between backquotes, or double quotes
    // under ANSI_QUOTES, and its strings between apostrophes with backslash escapes.
    return RefusedWriteBack(create, DefinitionQuoting {true, true}, what);
}

bool ServerCopyObjects::RefusedWriteBack(
    std::string_view definition, DefinitionQuoting quoting, const std::string& what)
{
    for (const std::string& name : DatabaseNamesIn(definition, quoting)) {
        // The names are those of the destination server, where the object would run.
        if (!MaybeSameName(name, m_database) || !SameDatabaseName(m_destination, name, m_database))
            continue;
        // A copy under the same name: the name is the copy's own.
        if (SameDatabaseName(m_destination, m_destinationDatabase, m_database))
            return false;
        m_context.Log(LogLevel::Error,
            "Refused to create the " + what + " in " + m_destinationDatabase
                + ": its definition names the source database " + m_database + ", so the copy would act on "
                + m_database + " instead of " + m_destinationDatabase + "!");
        return true;
    }
    return false;
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
    // Before anything is sent: an object of that name on the destination stays as it is.
    if (RefusedWriteBack(object.definition, DefinitionQuoting::ForSqlMode(object.sqlMode), what))
        return;
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
