#pragma once

#include "model/Result.h"

#include <string>

namespace kelvanto
{

// The database that the SQL file at `path` (plain or compressed) selects for itself before
// any of its statements can act on a database: its first statements may set session
// settings (SET) and create that very database (CREATE DATABASE), and then a USE names it
// (plainly or between backquotes; comments and version comments around the words count for
// nothing). This is what lets a file be replayed on a connection of its own: whatever that
// connection did before, the file acts where it would in a restore over one connection.
// The error says why the file does not select its database so: a statement that acts on
// the current database before any USE, a database created under another name than the one
// selected, no USE at all, or a file that cannot be read.
Result<std::string> FileSelectedDatabase(const std::string& path);

} // namespace kelvanto
