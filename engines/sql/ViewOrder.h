#pragma once

#include "model/Task.h"
#include "mysql/Connection.h"

#include <map>
#include <string>
#include <vector>

namespace kelvanto
{

// The objects of one database in an order in which their definitions can be replayed:
// every object that is not a view (a key of `viewDefinitions`) first, in the given order,
// then the views, each after the views of the list that its definition names ("`" + name +
// "`"); views are otherwise kept in the given order, and views that name each other stay in
// it too.
std::vector<TableItem> TablesBeforeViews(
    const std::vector<TableItem>& objects, const std::map<std::string, std::string>& viewDefinitions);

// The views among `objects` of the current database with their definitions: "SHOW FULL
// TABLES" tells which objects are views, "SHOW CREATE TABLE" gives each view's definition
// (empty when it cannot be read). Empty when the server cannot tell views apart.
std::map<std::string, std::string> ReadViewDefinitions(Connection& connection, const std::vector<TableItem>& objects);

} // namespace kelvanto
