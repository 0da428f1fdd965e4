#pragma once

#include "model/Task.h"

#include <array>
#include <cstdint>

namespace kelvanto
{

// The 28 one-byte flags of BackupSettings in stored order (index = flag number), so that
// the task list layouts can name flags by number as their tables do.
using BackupFlag = std::uint8_t BackupSettings::*;

inline constexpr std::array<BackupFlag, 28> kBackupFlags = {
    &BackupSettings::exportStructure,
    &BackupSettings::exportRecords,
    &BackupSettings::lockTables,
    &BackupSettings::flushTables,
    &BackupSettings::quoteNames,
    &BackupSettings::setConnectionCharset,
    &BackupSettings::allNewTables,
    &BackupSettings::allNewDatabases,
    &BackupSettings::flushLogs,
    &BackupSettings::reserved9,
    &BackupSettings::addCreateDatabase,
    &BackupSettings::addLockTables,
    &BackupSettings::addDropTable,
    &BackupSettings::addDeleteAll,
    &BackupSettings::addSetNames,
    &BackupSettings::completeInsert,
    &BackupSettings::insertDelayed,
    &BackupSettings::multiRowInsert,
    &BackupSettings::useReplace,
    &BackupSettings::insertIgnore,
    &BackupSettings::addAutocommit,
    &BackupSettings::addForeignKeyChecks,
    &BackupSettings::addUniqueChecks,
    &BackupSettings::addSqlNotes,
    &BackupSettings::allowKeywordColumns,
    &BackupSettings::disableKeys,
    &BackupSettings::fileType,
    &BackupSettings::fileMode,
};

// The flags that the two older task list layouts store, in their stored order; each list
// is followed in the file by fileSplit.
inline constexpr std::array<int, 11> kBackupFlagsOfLayoutC0 = {0, 1, 2, 6, 7, 8, 18, 12, 13, 26, 27};
inline constexpr std::array<int, 9> kBackupFlagsOfLayoutBA = {0, 1, 2, 6, 7, 8, 18, 26, 27};

} // namespace kelvanto
