#pragma once

#include "model/Result.h"
#include "model/Task.h"

#include <cstddef>
#include <string>

namespace kelvanto
{

// The two shortcuts of a hand-written task in JSON form, applied once the record is read.
// Their messages start with the field's path, as every refusal of the form does.

// "script": the statements of an "Execute SQL script" task given as one text, cut into
// statements as the script page cuts what is typed. Refused for other task types, next to
// "sqlStatements", when no statement results ("Please input the SQL script."), and when the
// stock client would refuse the text ("script: line N: ...").
Result<void> TakeScript(Task& task, const std::string& script, bool statementsGiven);

// A restore file given by its "path" alone gets its full path, name, size and modification
// time from the file, as adding it in the wizard does; a missing file is refused by name.
Result<void> CompleteRestoreFile(Task& task, std::size_t index);

} // namespace kelvanto
