#include "engines/copy/ServerCopyMember.h"

namespace kelvanto
{

ServerCopyMember ServerCopyMember::ForType(TaskType type)
{
    ServerCopyMember member;
    member.databaseVariant = type == TaskType::BackupToDatabase || type == TaskType::RestoreFromDatabase;
    member.restore = type == TaskType::RestoreFromServer || type == TaskType::RestoreFromDatabase;
    return member;
}

std::string ServerCopyMember::EmptySelectionLine() const
{
    return restore ? "There are not any databases in the restore queue!"
                   : "There are not any databases in the backup queue!";
}

std::string ServerCopyMember::StartLine() const
{
    return restore ? "Restoring the selected databases and tables..."
                   : "Backing up the selected databases and tables...";
}

std::string ServerCopyMember::DatabaseLine(const std::string& database) const
{
    return (restore ? "Restoring the database " : "Backing up the database ") + database + "...";
}

std::string ServerCopyMember::ObjectLine(bool view, const std::string& database, const std::string& name) const
{
    const char* words = restore ? (view ? "Restoring the view " : "Restoring the table ")
                                : (view ? "Backing up the view " : "Backing up the table ");
    return words + database + "." + name + "...";
}

std::string ServerCopyMember::ViewDoneLine(const std::string& database, const std::string& view) const
{
    return (restore ? "Restore the view " : "Backup the view ") + database + "." + view + " - OK";
}

std::string ServerCopyMember::RowsDoneLine(std::uint64_t rows) const
{
    return (restore ? "Restore the records from the table OK - " : "Backup the records from the table OK - ")
        + std::to_string(rows) + " records";
}

std::string ServerCopyMember::RowsStoppedLine(const std::string& table, std::uint64_t rows) const
{
    return std::string(restore ? "Restore" : "Backup") + " the records from the table " + table + " stopped after "
        + std::to_string(rows) + " records!";
}

std::string ServerCopyMember::NoResultLine(const std::string& table) const
{
    return (restore && databaseVariant ? "there are not any records in the table "
                                       : "There are not any records in the table ")
        + table;
}

std::string ServerCopyMember::CreateTableFailedLine(const std::string& database, const std::string& table) const
{
    if (databaseVariant)
        return "Failed to CREATE TABLE " + table + " on the destination server!";
    return "Failed to CREATE TABLE " + database + "." + table + " on the destination server!";
}

} // namespace kelvanto
