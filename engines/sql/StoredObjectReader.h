#pragma once

#include "engines/sql/StoredObject.h"
#include "model/Result.h"
#include "mysql/Connection.h"

#include <map>
#include <string>
#include <vector>

namespace kelvanto
{

// The stored programs of one database that a run carries, each with its definition read, in
// the order they are recreated: triggers by table (each table's in the order they fire),
// functions before procedures, events. An object whose definition cannot be read is kept with
// the reason in `failures`, so that the run names it instead of leaving it out in silence.
struct DatabaseObjects
{
    std::map<std::string, std::vector<StoredObject>> triggersByTable;
    std::vector<StoredObject> routines;
    std::vector<StoredObject> events;
    // "<kind> <name>: <reason>" for each object or list that could not be read.
    std::vector<std::string> failures;
};

struct StoredObjectChoice
{
    bool triggers = false;
    bool routines = false;
    bool events = false;

    bool any() const { return triggers || routines || events; }
};

// Lists the chosen kinds of object of `database` from information_schema and reads each one's
// definition with SHOW CREATE, with the connection's character_set_results set to the
// character set the object was created with (so that its bytes and its SET lines agree) and
// restored afterwards.
DatabaseObjects ReadDatabaseObjects(Connection& connection, const std::string& database, StoredObjectChoice choice);

} // namespace kelvanto
