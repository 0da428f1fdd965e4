#include "cli/TaskImportCommand.h"

#include "cli/ExitCode.h"
#include "app/TaskJson.h"
#include "model/FileBytes.h"

#include <istream>
#include <iterator>
#include <ostream>

namespace kelvanto
{

namespace
{

// Codes that no engine or schedule knows would make a task that can never run.
std::string CheckCodes(const Task& task)
{
    const auto type = static_cast<int>(task.type);
    if (type < 1 || type > 8)
        return "type: must be a task type from 1 to 8";
    if (static_cast<int>(task.schedule.kind) > 5)
        return "schedule.kind: must be a schedule kind from 0 to 5";
    return {};
}

} // namespace

int TaskImportCommand::Run(const std::vector<std::string>& args)
{
    if (args.size() != 1) {
        m_context.Fail("usage: task import FILE");
        return ExitCode::Usage;
    }
    const std::string& file = args[0];
    std::string text;
    if (file == "-") {
        text.assign(std::istreambuf_iterator<char>(m_context.in), std::istreambuf_iterator<char>());
    } else {
        auto bytes = ReadFileBytes(file);
        if (!bytes) {
            m_context.Fail(bytes.error());
            return ExitCode::Failure;
        }
        text = std::move(*bytes);
    }
    auto task = TaskFromJson(text);
    if (!task) {
        m_context.Fail(file + ": " + task.error());
        return ExitCode::Failure;
    }
    if (auto fault = CheckCodes(*task); !fault.empty()) {
        m_context.Fail(file + ": " + fault);
        return ExitCode::Failure;
    }

    auto app = m_context.OpenApplication(nullptr, CliContext::Access::Change, "task import");
    if (!app)
        return ExitCode::Failure;
    auto created = app->CreateTask(std::move(*task));
    if (!created) {
        // The wizard's own message, as it shows it.
        m_context.err << created.error() << "\n";
        return ExitCode::Failure;
    }
    m_context.out << "Created task \"" << app->CopyOfTask(*created)->name << "\"\n";
    return ExitCode::Ok;
}

} // namespace kelvanto
