#pragma once

#include <vector>

class QWidget;

namespace kelvanto
{

class TaskPage;
class TaskPageSession;

// The pages of a task type's steps in order, without the wizard's welcome and summary pages:
// the editable pages in the wizard and the edit sheet, their read-only counterparts in the
// read-only sheet (the name page serves both). The source page, where the type has one, is
// registered with the session as the place the other pages read the source server from.
//
//   1        name, source server, databases and tables, backup file, schedule
//   2, 7     name, source server, databases and tables, destination server, schedule
//   3, 8     name, source database, source tables, destination database, schedule
//   4        name, source server, export tables, export file, schedule
//   5        name, source server, SQL script, schedule
//   6        name, restore files, destination server, schedule
std::vector<TaskPage*> makeTaskPages(TaskPageSession& session, QWidget* parent);

} // namespace kelvanto
