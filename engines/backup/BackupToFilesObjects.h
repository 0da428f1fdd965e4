#pragma once

#include "engines/backup/DumpWriter.h"
#include "engines/sql/StoredObjectReader.h"
#include "model/Task.h"
#include "mysql/Connection.h"
#include "schedule/RunContext.h"

#include <string>
#include <vector>

namespace kelvanto
{

// The triggers, routines and events of a backup to files: read once per database, written
// where a restore replays them correctly (a table's triggers after its rows, so that they do not
// fire on the restored rows; functions and procedures before the views, which may call them;
// events last). Each object is preceded by DROP ... IF EXISTS and surrounded by the plain SET
// lines of its own session settings; its CREATE is a DELIMITER block in SQL files.
class BackupToFilesObjects
{
public:
    BackupToFilesObjects(RunContext& context, Connection& connection, DumpWriter& writer, const TaskExtras& extras);

    // Reads the chosen objects of `database`; read failures are logged here.
    void StartDatabase(const std::string& database);
    bool HasRoutines() const { return !m_objects.routines.empty(); }
    bool HasEvents() const { return !m_objects.events.empty(); }
    bool HasTriggers(const std::string& table) const { return m_objects.triggersByTable.count(table) > 0; }

    void WriteTriggers(const std::string& file, const std::string& table);
    void WriteRoutines(const std::string& file);
    void WriteEvents(const std::string& file);
    // The objects written whole since the last call, in the order written.
    std::vector<StoredObject> TakeWritten();

private:
    void Write(const std::string& file, const StoredObject& object);

    RunContext& m_context;
    Connection& m_connection;
    DumpWriter& m_writer;
    StoredObjectChoice m_choice;
    bool m_stripDefiner = false;
    std::string m_database;
    DatabaseObjects m_objects;
    std::vector<StoredObject> m_written;
};

} // namespace kelvanto
