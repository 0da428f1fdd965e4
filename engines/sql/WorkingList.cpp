#include "engines/sql/WorkingList.h"

#include "mysql/ServerProbes.h"

#include <cstddef>
#include <utility>

namespace kelvanto
{

std::vector<DatabaseItem> MergeWorkingList(
    std::vector<DatabaseItem> chosen, std::vector<DatabaseItem> server, bool newDatabases, bool newTables)
{
    const std::size_t chosenCount = chosen.size();
    for (DatabaseItem& listed : server) {
        DatabaseItem* known = nullptr;
        for (std::size_t i = 0; i < chosenCount && !known; ++i) {
            if (chosen[i].name == listed.name)
                known = &chosen[i];
        }
        if (!known) {
            if (newDatabases) {
                listed.checkState = 2;
                chosen.push_back(std::move(listed));
            }
            continue;
        }
        if (!newTables)
            continue;
        for (TableItem& table : listed.tables) {
            bool present = false;
            for (const TableItem& mine : known->tables)
                present = present || mine.name == table.name;
            if (!present)
                known->tables.push_back(std::move(table));
        }
    }
    return chosen;
}

std::vector<DatabaseItem> BuildWorkingList(
    Connection& connection, std::vector<DatabaseItem> chosen, const BackupSettings& settings, std::string& error)
{
    const bool newDatabases = settings.allNewDatabases == 1;
    const bool newTables = settings.allNewTables == 1;
    if (!newDatabases && !newTables)
        return chosen;
    Result<std::vector<DatabaseItem>> listed = ListDatabasesWithTables(connection, settings.setConnectionCharset == 1);
    if (!listed) {
        error = listed.error();
        return chosen;
    }
    return MergeWorkingList(std::move(chosen), std::move(*listed), newDatabases, newTables);
}

} // namespace kelvanto
