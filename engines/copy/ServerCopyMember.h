#pragma once

#include "model/Task.h"

#include <cstdint>
#include <string>

namespace kelvanto
{

// One of the four task types that copy databases from one server to another: where the
// rows go (a database of the same name, or the task's destination database) and the words of
// the log lines (backup or restore).
struct ServerCopyMember
{
    bool databaseVariant = false; // types 3 and 8: into destDatabaseName
    bool restore = false; // types 7 and 8

    static ServerCopyMember ForType(TaskType type);

    std::string EmptySelectionLine() const;
    std::string StartLine() const;
    std::string DatabaseLine(const std::string& database) const;
    std::string ObjectLine(bool view, const std::string& database, const std::string& name) const;
    std::string ViewDoneLine(const std::string& database, const std::string& view) const;
    std::string RowsDoneLine(std::uint64_t rows) const;
    // The Error line of a table whose rows stopped (a refused insert, a broken read):
    // "Backup the records from the table <table> stopped after <n> records!".
    std::string RowsStoppedLine(const std::string& table, std::uint64_t rows) const;
    std::string NoResultLine(const std::string& table) const;
    std::string CreateTableFailedLine(const std::string& database, const std::string& table) const;
};

} // namespace kelvanto
