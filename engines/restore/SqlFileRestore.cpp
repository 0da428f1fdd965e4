#include "engines/restore/SqlFileRestore.h"

#include "engines/io/SqlFileReader.h"
#include "engines/restore/RestoreFileEntry.h"
#include "engines/run/WatchedConnection.h"
#include "engines/sql/SqlSplitter.h"
#include "model/SafeFolder.h"

#include <filesystem>

namespace kelvanto
{

namespace
{

// The statement's first keyword in upper case, after comments and blanks; the keyword of a
// version comment ("/*!40101 SET ...*/") counts as the statement's own.
std::string FirstKeyword(std::string_view statement)
{
    std::size_t at = 0;
    const auto skipTo = [&](std::string_view end) {
        const std::size_t found = statement.find(end, at);
        at = found == std::string_view::npos ? statement.size() : found + end.size();
    };
    while (at < statement.size()) {
        const char c = statement[at];
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            ++at;
        } else if (statement.substr(at, 3) == "/*!") {
            at += 3;
            while (at < statement.size() && statement[at] >= '0' && statement[at] <= '9')
                ++at;
        } else if (statement.substr(at, 2) == "/*") {
            skipTo("*/");
        } else if (c == '#' || statement.substr(at, 3) == "-- ") {
            skipTo("\n");
        } else {
            break;
        }
    }
    std::string word;
    for (; at < statement.size(); ++at) {
        const char c = statement[at];
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'))
            break;
        word += static_cast<char>(c >= 'a' ? c - 'a' + 'A' : c);
    }
    return word;
}

bool SetsUpSession(const std::string& keyword)
{
    return keyword == "SET" || keyword == "USE";
}

bool DefinesObjects(const std::string& keyword)
{
    return SetsUpSession(keyword) || keyword == "CREATE" || keyword == "DROP";
}

} // namespace

SqlFileRestore::SqlFileRestore(
    RunContext& context, RunConnection& connection, const RestoreOptions& options, std::int32_t commitEvery)
    : m_context(context)
    , m_connection(connection)
    , m_options(options)
    , m_batch(commitEvery, BatchHooks(context, connection))
{ }

SqlFileRestore::End SqlFileRestore::Restore(const std::string& path)
{
    std::size_t unused = 0;
    return Replay(path, Part::Whole, unused);
}

SqlFileRestore::End SqlFileRestore::RestoreStructure(const std::string& path, std::size_t& count)
{
    count = 0;
    return Replay(path, Part::Structure, count);
}

SqlFileRestore::End SqlFileRestore::RestoreData(const std::string& path, std::size_t structure)
{
    return Replay(path, Part::Data, structure);
}

SqlFileRestore::End SqlFileRestore::Replay(const std::string& path, Part part, std::size_t& structure)
{
    // A file still under its temporary name was never finished by the run that wrote it.
    if (IsPartialPath(path)) {
        m_context.Log(LogLevel::Error, IncompleteFileMessage(path));
        return End::FileError;
    }
    SqlFileReader reader;
    if (!reader.Open(path))
        return FileFailed(reader.ErrorCause());
    reader.SetLimit(m_statementLimit);
    // The file is read as the stock client reads it on this session: in the session's
    // character set, with the statements that its delimiter joins sent as one text.
    reader.SetCharacterSet(m_connection.CharacterSetName());
    reader.SetServerStatus(m_connection.ServerStatusBits());
    m_connection.SetMultiStatements(true);
    if (Quit())
        return End::Cancelled;
    // The file by its name, the statements sent from it, and the share of its bytes read.
    RunProgress progress;
    progress.object = std::filesystem::path(path).filename().string();
    progress.counting = RunProgress::Counting::Statements;
    progress.bytesTotal = reader.Length();
    m_context.ReportProgress(progress);
    SqlFileReader::Item item;
    for (std::size_t index = 0;;) {
        const SqlFileReader::Status status = reader.Next(item);
        if (status == SqlFileReader::Status::End)
            return m_batch.Commit() ? End::Done : CommitFailed();
        if (status == SqlFileReader::Status::ReadError) {
            // What was sent before the file broke off stays, as it would without batches.
            m_batch.Commit();
            return FileFailed(reader.ErrorCause());
        }
        if (status == SqlFileReader::Status::TooLong) {
            m_batch.Commit();
            m_context.Log(LogLevel::Error,
                "Failed to get a SQL statement from the SQL file! - a statement is longer than "
                    + std::to_string(reader.Limit()) + " bytes, the most the server takes (max_allowed_packet)");
            return End::FileError;
        }
        if (item.kind == SqlFileReader::Item::Kind::Error) {
            // The stock client refuses the file here: what was sent before stays, as with it.
            m_batch.Commit();
            return FileFailed(" - " + RefusalText(item));
        }
        if (item.kind == SqlFileReader::Item::Kind::Warning) {
            m_context.Log(
                LogLevel::Warning, "The SQL file's " + RefusalText(item) + " (skipped, as by the stock client)");
            continue;
        }
        // The statement's text as it stands, or the one a client command stands for.
        const std::string command = item.kind == SqlFileReader::Item::Kind::Statement
            ? std::string()
            : ItemAsStatement(item).value_or(std::string());
        const std::string_view shown = command.empty() ? std::string_view(item.text) : std::string_view(command);
        const std::string keyword = FirstKeyword(shown);
        if (part == Part::Structure) {
            if (!DefinesObjects(keyword))
                return m_batch.Commit() ? End::Done : CommitFailed();
            ++structure;
        } else if (part == Part::Data && index++ < structure && !SetsUpSession(keyword)) {
            continue;
        }
        const bool executed = Execute(item, progress.statementsDone + 1);
        ++progress.statementsDone;
        progress.bytesDone = reader.BytesDone();
        m_context.ReportProgress(progress);
        reader.SetServerStatus(m_connection.ServerStatusBits());
        if (!executed) {
            // A statement broken off by a stop failed because of the stop, not on its merits.
            if (Quit())
                return Cancelled();
            m_context.Log(LogLevel::Error,
                LineWithCause("Failed to execute the SQL statement: ", shown, m_connection.ErrorCause()));
            if (m_options.continueOnSqlError == 0) {
                m_batch.RollBack();
                return End::StatementFailed;
            }
            continue;
        }
        if (Quit())
            return Cancelled();
    }
}

bool SqlFileRestore::Execute(const SqlFileReader::Item& item, std::size_t number)
{
    switch (item.kind) {
    case SqlFileReader::Item::Kind::UseDatabase:
        return m_connection.SelectDatabase(item.text);
    case SqlFileReader::Item::Kind::CharacterSet:
        // The stock client goes on when the library cannot switch; so does the restore.
        if (!m_connection.SetCharacterSet(item.text))
            m_context.Log(LogLevel::Warning,
                LineWithCause("Failed to set the character set " + item.text, "", m_connection.ErrorCause()));
        return true;
    default:
        return m_batch.Send(item.text, number);
    }
}

SqlFileRestore::End SqlFileRestore::Cancelled()
{
    m_batch.RollBack();
    return End::Cancelled;
}

SqlFileRestore::End SqlFileRestore::CommitFailed()
{
    m_context.Log(LogLevel::Error, "Failed to execute the SQL statement: COMMIT");
    return m_options.continueOnSqlError == 0 ? End::StatementFailed : End::Done;
}

SqlFileRestore::End SqlFileRestore::FileFailed(const std::string& cause)
{
    m_context.Log(LogLevel::Error, "Failed to get a SQL statement from the SQL file!" + cause);
    return End::FileError;
}

} // namespace kelvanto
