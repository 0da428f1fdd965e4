#pragma once

#include "engines/copy/ServerCopyMember.h"
#include "engines/sql/StoredObjectReader.h"
#include "engines/sql/StoredObjectReferences.h"
#include "model/Task.h"
#include "mysql/Connection.h"
#include "schedule/RunContext.h"

#include <string>
#include <string_view>

namespace kelvanto
{

// The triggers, routines and events of a copy, read from the source once per database and
// created on the destination in the order a restore of files replays them: a table's triggers
// after its rows, functions and procedures before the views, events last. Each object replaces
// one of the same name and is created under its own session settings. When the destination
// refuses the DEFINER that the source reports (error 1227), the object is created without it
// and one Warning line in the run says so.
// A copy into a database of another name never creates an object whose definition names
// the source database (a trigger that inserts into "shop.log", copied from shop into
// shop_copy, would write into shop): such an object is refused with an Error line that
// names it, and whatever the destination held under its name stays.
class ServerCopyObjects
{
public:
    ServerCopyObjects(RunContext& context, Connection& source, Connection& destination, const TaskExtras& extras,
        const ServerCopyMember& member);

    // Reads the chosen objects of source database `database`, which the copy writes into
    // the destination's `destination`; read failures are logged here.
    void StartDatabase(const std::string& database, const std::string& destination);
    void CopyTriggers(const std::string& table);
    void CopyRoutines();
    void CopyEvents();
    // Sends the CREATE of `what` ("view shop.v") to the destination, without DEFINER when the
    // task strips it or the destination refuses it; false when it was not created (the
    // destination's error tells why).
    bool Create(const std::string& create, const std::string& what);
    // True, with the Error line, when the view `what` must not be created from `create`
    // (SHOW CREATE VIEW's text) because it names the source database.
    bool RefusedView(const std::string& create, const std::string& what);

private:
    // True, with the Error line, when `definition` names the source database while the copy
    // goes into a database of another name.
    bool RefusedWriteBack(std::string_view definition, DefinitionQuoting quoting, const std::string& what);
    void Copy(const StoredObject& object);
    // Sends `statement` and reads away its results; false when the destination refused it.
    bool Send(const std::string& statement);

    RunContext& m_context;
    Connection& m_source;
    Connection& m_destination;
    const ServerCopyMember& m_member;
    StoredObjectChoice m_choice;
    bool m_stripDefiner = false;
    bool m_definerWarned = false;
    std::string m_database;
    std::string m_destinationDatabase;
    DatabaseObjects m_objects;
};

} // namespace kelvanto
