#include "engines/copy/ServerCopyTable.h"

#include "engines/run/WatchedConnection.h"
#include "engines/sql/SequenceDump.h"
#include "engines/sql/TableDefinition.h"
#include "engines/sql/ViewStructure.h"
#include "mysql/ServerProbes.h"
#include "mysql/SqlNames.h"

#include <memory>

namespace kelvanto
{

ServerCopyTable::ServerCopyTable(RunContext& context, Connection& source, Connection& destination,
    const BackupSettings& settings, const ServerCopySwitches& switches, const ServerCopyMember& member,
    std::optional<std::size_t> statementLimit, std::int64_t maxInsertBytes)
    : m_context(context)
    , m_source(source)
    , m_destination(destination)
    , m_settings(settings)
    , m_switches(switches)
    , m_member(member)
    , m_records(context, source, destination, settings, switches, member, statementLimit, maxInsertBytes)
{ }

CopyFlow ServerCopyTable::Failed(const std::string& line)
{
    if (Quit())
        return CopyFlow::Cancelled;
    m_context.Log(LogLevel::Error, line);
    return CopyFlow::Next;
}

CopyFlow ServerCopyTable::Copy(const std::string& database, const TableItem& item)
{
    m_sourceLocked = false;
    const CopyFlow flow = CopySteps(database, item);
    // A failed object leaves no read lock behind on the source.
    if (m_sourceLocked && flow == CopyFlow::Next)
        m_source.Query("UNLOCK TABLES");
    m_sourceLocked = false;
    return flow;
}

CopyFlow ServerCopyTable::CopySteps(const std::string& database, const TableItem& item)
{
    const std::string& name = item.name;
    const std::string quoted = QuoteName(name, m_switches.nameQuoting);
    int kind = item.kind;
    m_context.Log(LogLevel::General, m_member.ObjectLine(kind == 2, database, name));
    RunProgress progress;
    progress.object = database + "." + name;
    m_context.ReportProgress(progress);
    if (Quit())
        return CopyFlow::Cancelled;

    if (m_settings.flushTables == 1)
        m_source.Query("FLUSH TABLE " + quoted);
    if (m_settings.lockTables == 1) {
        m_source.Query("LOCK TABLES " + quoted + (m_switches.source.readLocalLocks ? " READ LOCAL" : " READ"));
        m_sourceLocked = true;
    }
    if (Quit())
        return CopyFlow::Cancelled;

    if (m_settings.exportStructure == 1)
        kind = m_switches.sourceShowCreate ? DetectTableKind(m_source, name, m_switches.nameQuoting) : 1;
    if (Quit())
        return CopyFlow::Cancelled;
    const bool isView = kind == 2;
    if (!isView && m_sequences.count(name) > 0)
        return CopySequence(database, name, quoted);

    const TableStatus status = ReadTableStatus(m_source, name);
    progress.rowsEstimate = status.rowsEstimate;
    if (Quit())
        return CopyFlow::Cancelled;
    std::unique_ptr<ResultSet> columns = m_source.ListFields(name);
    if (!columns)
        return Failed("No result when list table fields: " + name);
    if (Quit())
        return CopyFlow::Cancelled;

    if (m_settings.exportStructure != 1) {
        m_context.Log(LogLevel::General, "Structure option is unchecked.");
    } else {
        if (m_settings.addDropTable == 1) {
            if (isView)
                m_destination.Query("DROP VIEW IF EXISTS " + quoted);
            if (!m_destination.Query("DROP TABLE IF EXISTS " + quoted))
                return Failed("Failed to drop table " + name + "!" + ServerErrorCause(m_destination));
        }
        if (isView) {
            if (!CopyViewStructure(database, name, quoted))
                return Quit() ? CopyFlow::Cancelled : CopyFlow::Next;
        } else {
            Result<std::string> definition = GetTableDefinition(
                m_source, name, status.type, columns->Fields(), m_switches.nameQuoting, m_switches.sourceShowCreate);
            if (!definition || definition->empty())
                return Failed("Failed to get the create table statement! - " + name + ServerErrorCause(m_source));
            if (!m_destination.Query(*definition))
                return Failed(m_member.CreateTableFailedLine(database, name) + ServerErrorCause(m_destination));
        }
    }
    columns.reset();

    if (m_settings.addDeleteAll == 1 && !isView && !m_destination.Query("DELETE FROM " + quoted))
        return Failed("Failed to DELETE " + name + "!" + ServerErrorCause(m_destination));
    if (Quit())
        return CopyFlow::Cancelled;

    if (m_settings.exportRecords == 1 && !isView && !m_records.Copy(name, quoted, m_sourceLocked, progress))
        return CopyFlow::Cancelled;
    return CopyFlow::Next;
}

CopyFlow ServerCopyTable::CopySequence(const std::string& database, const std::string& name, const std::string& quoted)
{
    const bool structure = m_settings.exportStructure == 1;
    Result<std::vector<std::string>> statements = SequenceStatements(m_source, name, quoted, structure);
    if (!statements)
        return Failed("Failed to read the sequence " + database + "." + name + "! - " + statements.error());
    if (structure && m_settings.addDropTable == 1 && !m_destination.Query("DROP TABLE IF EXISTS " + quoted))
        return Failed("Failed to drop table " + name + "!");
    for (const std::string& statement : *statements) {
        if (!m_destination.Query(statement) || !m_destination.DiscardResults()) {
            return Failed("Failed to create the sequence " + database + "." + name
                + " on the destination server!  Error NO. " + std::to_string(m_destination.ErrorNumber()) + "  "
                + m_destination.ErrorText());
        }
    }
    m_context.Log(LogLevel::General,
        (m_member.restore ? "Restore the sequence " : "Backup the sequence ") + database + "." + name + " - OK");
    return CopyFlow::Next;
}

bool ServerCopyTable::CopyViewStructure(const std::string& database, const std::string& name, const std::string& quoted)
{
    std::string definition;
    const auto createPlaceholder = [this](const std::string& placeholder) { return m_destination.Query(placeholder); };
    std::string failure;
    switch (ReadViewStructure(m_source, name, quoted, createPlaceholder, definition)) {
    case ViewStructureStep::CreateTemporary:
        failure = "Failed to create temporary table of the view " + name + ServerErrorCause(m_source);
        break;
    case ViewStructureStep::ShowTemporary:
        failure = "Failed to show temporary table of the view " + name + ServerErrorCause(m_source);
        break;
    case ViewStructureStep::UsePlaceholder:
        failure = "Failed to create temporary table of the view " + name + " on the destination server!"
            + ServerErrorCause(m_destination);
        break;
    case ViewStructureStep::DropTemporary:
        failure = "Failed to drop temporary table of the view " + name + ServerErrorCause(m_source);
        break;
    case ViewStructureStep::ShowView:
        failure = "Failed to show view " + name + ServerErrorCause(m_source);
        break;
    case ViewStructureStep::Done:
        m_deferredViews.emplace_back(name, std::move(definition));
        m_context.Log(LogLevel::General, m_member.ViewDoneLine(database, name));
        return true;
    }
    Failed(failure);
    return false;
}

void ServerCopyTable::CreateDeferredViews(const std::string& database, const ViewStep& create, const ViewStep& refused)
{
    for (const auto& [name, definition] : m_deferredViews) {
        if (name.empty() || definition.empty())
            continue;
        const std::string quoted = QuoteName(name, m_switches.nameQuoting);
        const std::string what = "view " + database + "." + name;
        const bool refuse = refused(definition, what);
        if (!m_destination.Query("DROP TABLE IF EXISTS " + quoted)) {
            m_context.Log(LogLevel::Error, "Failed to DROP TABLE " + name + "!" + ServerErrorCause(m_destination));
            continue;
        }
        if (refuse)
            continue;
        m_destination.Query("DROP VIEW IF EXISTS " + quoted);
        if (!create(definition, what))
            m_context.Log(LogLevel::Error, "Failed to CREATE VIEW " + name + "!" + ServerErrorCause(m_destination));
    }
    m_deferredViews.clear();
}

} // namespace kelvanto
