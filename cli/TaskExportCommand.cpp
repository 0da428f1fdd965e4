#include "cli/TaskExportCommand.h"

#include "app/TaskJson.h"
#include "cli/ExitCode.h"

#include <ostream>

namespace kelvanto
{

int TaskExportCommand::Run(const std::vector<std::string>& args)
{
    if (args.size() != 1) {
        m_context.Fail("usage: task export NAME");
        return ExitCode::Usage;
    }
    auto app = m_context.OpenApplication();
    if (!app)
        return ExitCode::Failure;
    auto index = app->FindTask(args[0]);
    if (!index) {
        m_context.Fail("no task named \"" + args[0] + "\"");
        return ExitCode::Failure;
    }
    m_context.out << TaskToJson(*app->CopyOfTask(*index));
    m_context.out.flush();
    return m_context.out ? ExitCode::Ok : ExitCode::Failure;
}

} // namespace kelvanto
