#include "app/TaskJsonShortcuts.h"

#include "engines/restore/RestoreFileEntry.h"
#include "engines/sql/SqlSplitter.h"

#include <vector>

namespace kelvanto
{

Result<void> TakeScript(Task& task, const std::string& script, bool statementsGiven)
{
    if (task.type != TaskType::ExecuteScript)
        return Error {"script: only a task of type 5 (Execute SQL script) takes a script"};
    if (statementsGiven)
        return Error {"script: give either \"script\" or \"sqlStatements\", not both"};
    Result<std::vector<std::string>> statements = SplitScript(script);
    if (!statements)
        return Error {"script: " + statements.error()};
    if (statements->empty())
        return Error {"script: Please input the SQL script."};
    task.sqlStatements = std::move(*statements);
    return Ok();
}

Result<void> CompleteRestoreFile(Task& task, std::size_t index)
{
    RestoreFile& file = task.restoreFiles.at(index);
    Result<RestoreFile> entry = RestoreFileEntry(file.path);
    if (!entry)
        return Error {"restoreFiles[" + std::to_string(index) + "].path: " + entry.error()};
    entry->checkState = file.checkState;
    file = std::move(*entry);
    return Ok();
}

} // namespace kelvanto
