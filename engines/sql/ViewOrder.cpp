#include "engines/sql/ViewOrder.h"

#include "engines/sql/TableDefinition.h"
#include "mysql/SqlNames.h"

#include <set>

namespace kelvanto
{

namespace
{

bool Names(const std::string& definition, const std::string& view)
{
    return definition.find(QuoteName(view, true)) != std::string::npos;
}

} // namespace

std::vector<TableItem> TablesBeforeViews(
    const std::vector<TableItem>& objects, const std::map<std::string, std::string>& viewDefinitions)
{
    std::vector<TableItem> ordered;
    std::vector<const TableItem*> views;
    for (const TableItem& object : objects) {
        if (viewDefinitions.count(object.name))
            views.push_back(&object);
        else
            ordered.push_back(object);
    }

    // needs[i]: the other views of the list that view i names.
    std::vector<std::vector<std::size_t>> needs(views.size());
    for (std::size_t i = 0; i < views.size(); ++i) {
        const std::string& definition = viewDefinitions.at(views[i]->name);
        for (std::size_t j = 0; j < views.size(); ++j) {
            if (views[j]->name != views[i]->name && Names(definition, views[j]->name))
                needs[i].push_back(j);
        }
    }
    // Take the first view whose named views are all placed; when none is free (views that
    // name each other), the first one left.
    std::vector<bool> placed(views.size(), false);
    for (std::size_t round = 0; round < views.size(); ++round) {
        std::size_t next = views.size();
        std::size_t firstLeft = views.size();
        for (std::size_t i = 0; i < views.size() && next == views.size(); ++i) {
            if (placed[i])
                continue;
            if (firstLeft == views.size())
                firstLeft = i;
            bool free = true;
            for (std::size_t j : needs[i])
                free = free && placed[j];
            if (free)
                next = i;
        }
        if (next == views.size())
            next = firstLeft;
        placed[next] = true;
        ordered.push_back(*views[next]);
    }
    return ordered;
}

std::map<std::string, std::string> ReadViewDefinitions(Connection& connection, const std::vector<TableItem>& objects)
{
    std::map<std::string, std::string> definitions;
    if (!connection.Query("SHOW FULL TABLES"))
        return definitions;
    std::set<std::string> views;
    if (std::unique_ptr<ResultSet> result = connection.StoreResult()) {
        RowView row;
        while (result->FetchRow(row)) {
            if (row.count > 1 && !row.isNull(0) && row.value(1) == "VIEW")
                views.emplace(row.value(0));
        }
    }
    for (const TableItem& object : objects) {
        if (object.checkState == 0 || !views.count(object.name) || definitions.count(object.name))
            continue;
        Result<std::string> definition = ReadTableDefinition(connection, object.name);
        definitions[object.name] = definition ? std::move(*definition) : std::string();
    }
    return definitions;
}

} // namespace kelvanto
