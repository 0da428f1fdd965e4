#include "cli/TaskExportCommand.h"

#include "app/TaskJson.h"
#include "cli/ExitCode.h"

#include <ostream>

namespace kelvanto
{

int TaskExportCommand::Run(const std::vector<std::string>& args)
{
    std::vector<std::string> names;
    bool withPasswords = false;
    for (const std::string& arg : args) {
        if (arg == "--with-passwords")
            withPasswords = true;
        else
            names.push_back(arg);
    }
    if (names.size() != 1) {
        m_context.Fail("usage: task export NAME [--with-passwords]");
        return ExitCode::Usage;
    }
    auto app = m_context.OpenApplication();
    if (!app)
        return ExitCode::Failure;
    auto index = app->FindTask(names[0]);
    if (!index) {
        m_context.Fail("no task named \"" + names[0] + "\"");
        return ExitCode::Failure;
    }
    const Task task = *app->CopyOfTask(*index);
    // Written with every extra off, the task would come back without its settings.
    if (task.extras.unreadable) {
        m_context.Fail("the task \"" + names[0] + "\" is not exported: its extra settings cannot be read ("
            + task.extras.unreadable->problem + ")");
        return ExitCode::Failure;
    }
    Json value = TaskToJsonValue(task);
    // The JSON goes to a terminal, a pipe or a file that others may read: passwords only
    // when asked for, wherever they sit.
    if (!withPasswords)
        BlankPasswords(value);
    // Every text was checked for UTF-8 (or written as hex), so dump cannot throw.
    m_context.out << value.dump(2) << '\n';
    m_context.out.flush();
    return m_context.out ? ExitCode::Ok : ExitCode::Failure;
}

} // namespace kelvanto
