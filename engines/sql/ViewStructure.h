#pragma once

#include "mysql/Connection.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace kelvanto
{

// The step at which reading a view's structure stopped; Done when every step succeeded.
enum class ViewStructureStep : std::uint8_t {
    CreateTemporary, // "CREATE TEMPORARY TABLE ... SELECT * FROM <view> WHERE 0" was refused
    ShowTemporary, // the temporary table's definition could not be read
    UsePlaceholder, // the caller could not use the placeholder definition
    DropTemporary, // "DROP TEMPORARY TABLE" was refused
    ShowView, // the view's own definition could not be read
    Done,
};

// The structure of view `name` of the current database (`quoted` as statements carry it), as
// the engines recreate it: a table with the view's columns stands in for the view until all
// tables of its database exist, so that views that select from other views can be created in
// any order, and the view itself comes at the end. Creates a temporary table with the view's
// columns, hands its definition as "CREATE TABLE ..." to `usePlaceholder` (false: stop), drops
// the temporary table and reads the view's own definition into `definition`. The temporary
// table never outlives the call. Returns the step that failed, or Done.
ViewStructureStep ReadViewStructure(Connection& connection, std::string_view name, const std::string& quoted,
    const std::function<bool(const std::string&)>& usePlaceholder, std::string& definition);

} // namespace kelvanto
