#include "engines/backup/BackupToFilesObjects.h"

#include <utility>

namespace kelvanto
{

BackupToFilesObjects::BackupToFilesObjects(
    RunContext& context, Connection& connection, DumpWriter& writer, const TaskExtras& extras)
    : m_context(context)
    , m_connection(connection)
    , m_writer(writer)
    , m_choice {extras.triggers, extras.routines, extras.events}
    , m_stripDefiner(extras.definer == DefinerMode::Strip)
{ }

void BackupToFilesObjects::StartDatabase(const std::string& database)
{
    m_database = database;
    m_objects = ReadDatabaseObjects(m_connection, database, m_choice);
    for (const std::string& failure : m_objects.failures)
        m_context.Log(LogLevel::Error, "Failed to back up the " + failure);
}

void BackupToFilesObjects::WriteTriggers(const std::string& file, const std::string& table)
{
    const auto found = m_objects.triggersByTable.find(table);
    if (found == m_objects.triggersByTable.end())
        return;
    for (const StoredObject& trigger : found->second)
        Write(file, trigger);
}

void BackupToFilesObjects::WriteRoutines(const std::string& file)
{
    for (const StoredObject& routine : m_objects.routines)
        Write(file, routine);
}

void BackupToFilesObjects::WriteEvents(const std::string& file)
{
    for (const StoredObject& event : m_objects.events)
        Write(file, event);
}

void BackupToFilesObjects::Write(const std::string& file, const StoredObject& object)
{
    const std::string what = std::string(KindWord(object.kind)) + " " + m_database + "." + object.name;
    const ObjectStatements statements = StatementsFor(object, m_stripDefiner);
    if (!statements.error.empty()) {
        m_context.Log(LogLevel::Error, "Failed to back up the " + what + "! - " + statements.error);
        return;
    }
    bool written = true;
    for (const std::string& statement : statements.before)
        written = m_writer.GatherStatement(file, statement) && written;
    written = m_writer.AppendProgram(file, statements.create) && written;
    for (const std::string& statement : statements.after)
        written = m_writer.GatherStatement(file, statement) && written;
    written = m_writer.Flush() && written;
    if (!written) {
        m_context.Log(LogLevel::Error, "Failed to write the " + what + " to the backup file! - " + file);
        return;
    }
    m_written.push_back(object);
    m_context.Log(LogLevel::General, "Backup the " + what + " - OK");
}

std::vector<StoredObject> BackupToFilesObjects::TakeWritten()
{
    return std::exchange(m_written, {});
}

} // namespace kelvanto
