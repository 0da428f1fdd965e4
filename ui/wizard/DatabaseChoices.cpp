#include "ui/wizard/DatabaseChoices.h"

#include <algorithm>

namespace kelvanto::wizard
{

std::vector<TableItem> carryTableChoices(
    std::vector<TableItem> server, const std::vector<TableItem>& chosen, bool wholeDatabase)
{
    for (TableItem& table : server) {
        const auto earlier = std::find_if(
            chosen.begin(), chosen.end(), [&](const TableItem& item) { return item.name == table.name; });
        const bool picked = earlier != chosen.end() ? earlier->checkState != 0 : wholeDatabase;
        table.checkState = picked ? 2 : 0;
    }
    return server;
}

std::vector<DatabaseItem> carryDatabaseChoices(
    std::vector<DatabaseItem> server, const std::vector<DatabaseItem>& chosen)
{
    for (DatabaseItem& database : server) {
        const auto earlier = std::find_if(
            chosen.begin(), chosen.end(), [&](const DatabaseItem& item) { return item.name == database.name; });
        if (earlier == chosen.end()) {
            database.tables = carryTableChoices(std::move(database.tables), {}, false);
            database.checkState = 0;
            continue;
        }
        database.tables = carryTableChoices(std::move(database.tables), earlier->tables, earlier->checkState == 2);
        database.checkState = databaseCheckState(database.tables, earlier->checkState != 0);
    }
    return server;
}

std::uint8_t databaseCheckState(const std::vector<TableItem>& tables, bool tickedWithoutTables)
{
    if (tables.empty())
        return tickedWithoutTables ? 2 : 0;
    const auto chosen
        = std::count_if(tables.begin(), tables.end(), [](const TableItem& t) { return t.checkState != 0; });
    if (chosen == 0)
        return 0;
    return chosen == static_cast<std::ptrdiff_t>(tables.size()) ? 2 : 1;
}

} // namespace kelvanto::wizard
