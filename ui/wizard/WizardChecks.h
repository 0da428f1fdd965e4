#pragma once

#include "app/TaskChecks.h"

#include "model/Task.h"

#include <QString>

#include <string>
#include <string_view>

namespace kelvanto::wizard
{

// The checks of the wizard pages and dialogs that need no window. Each check returns the
// warning to show, or an empty text when the input is acceptable. The checks of task values
// are the core's (app/TaskChecks.h), which every other way in runs too.

// The backup files settings dialog's format (already trimmed) and counts, the backup file
// page's format against the databases chosen, and a new destination database name: the
// core's checks themselves.
using kelvanto::CheckFileNameFormat;
using kelvanto::CheckFormatNamesEveryDatabase;
using kelvanto::CheckKeepCopies;
using kelvanto::CheckKeepDays;
using kelvanto::CheckNewDatabaseName;

// The destination is the source when host (exact) and port are equal; a destination database
// when the database names (exact) are equal as well.
bool sameServer(const ServerConnection& source, const ServerConnection& destination);
bool sameDatabase(const ServerConnection& source, const ServerConnection& destination);

// A folder the backup and export pages accept: an absolute path (without ".." components) of
// an existing folder that the user may write in, or of a folder whose parent exists and is
// writable (the engines create one level). A file path: absolute, not a folder, in an
// existing folder.
bool isUsableFolder(const std::string& folder);
// Why a folder is not usable, as the second line of "Invalid folder!" (one of the marked texts
// of WizardTexts.h, in English); nullptr when it is usable.
const char* folderFault(const std::string& folder);
// The refusal of an unusable folder: the message, a line end and the reason in the user's language.
QString invalidFolderText(const char* message, const std::string& folder);
bool isUsableFilePath(const std::string& path);
// The folder with a '/' at its end.
std::string withTrailingSlash(std::string folder);

// The lists a type does not use, emptied: the databases (types 4, 5, 6), the export tables
// (all but 4), the statements (all but 5) and the restore files (all but 6).
void emptyListsUnusedBy(Task& task);

// The four export field texts as the page shows them for editing: the characters that the
// typed escapes stand for (BEL BS FF LF CR TAB VT and the backslash) written as those escapes,
// so that converting the shown text gives the stored text back.
std::string showTypedEscapes(std::string_view stored);

} // namespace kelvanto::wizard
