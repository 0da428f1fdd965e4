#pragma once

#include "engines/DumpWriter.h"
#include "model/Task.h"
#include "mysql/Connection.h"
#include "schedule/RunContext.h"

#include <string>

namespace kelvanto
{

// The records part of one table of a dump: streams the rows with one unbuffered SELECT
// and appends them as single-row or ten-row INSERT (or REPLACE) statements, surrounded by
// the DISABLE KEYS, LOCK TABLES and AUTOCOMMIT lines that the options ask for.
class BackupToFilesRecords
{
public:
    BackupToFilesRecords(
        RunContext& context, Connection& connection, DumpWriter& writer, const BackupSettings& settings);

    // Writes the records of table `name` (`quoted` as statements carry it) into `file`.
    // Failures are logged and end the table; returns false only on a stop request.
    // `progress` names the table and holds the server's row estimate; the rows done are
    // reported through the run context as they are written.
    bool Write(const std::string& file, const std::string& name, const std::string& quoted, RunProgress progress);

    // "INSERT ... INTO <table>[(columns)] VALUES " as the options ask for.
    static std::string StatementPrefix(
        const BackupSettings& settings, const std::string& quoted, const std::vector<FieldInfo>& fields);

private:
    RunContext& m_context;
    Connection& m_connection;
    DumpWriter& m_writer;
    const BackupSettings& m_settings;
    std::string m_statement; // reused for every statement of the run
};

} // namespace kelvanto
