#pragma once

#include "mysql/Connection.h"

#include <string>
#include <vector>

namespace kelvanto
{

// Appends "(" + the row's values separated by "," + ")" to out, each value written as an
// INSERT statement needs it for its column type. Returns false, with a text naming the
// column in *error when given, for a column type that cannot be rendered; out then holds
// a partial text that the caller discards.
bool RenderRowValues(const RowView& row, const std::vector<FieldInfo>& columns, Connection& connection,
    std::string& out, std::string* error = nullptr);

} // namespace kelvanto
