#include "cli/TaskImportCommand.h"

#include "app/JsonText.h"
#include "cli/ChangeTarget.h"
#include "cli/ExitCode.h"
#include "model/FileBytes.h"

#include <filesystem>
#include <istream>
#include <iterator>
#include <ostream>

namespace kelvanto
{

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
    // The JSON is read here so that its faults are told before the folder is touched; the
    // task itself is read where it is created, with the scheduler's server profiles.
    auto parsed = ParseJson(text);
    if (!parsed) {
        m_context.Fail(file + ": " + parsed.error());
        return ExitCode::Failure;
    }
    Json task = std::move(*parsed);
    if (!task.is_object()) {
        m_context.Fail(file + ": the task: must be an object");
        return ExitCode::Failure;
    }

    // Restore files given by a relative path are found from where the command was given,
    // not from the folder of a scheduler that reads the task.
    if (auto files = task.find("restoreFiles"); files != task.end() && files->is_array()) {
        for (Json& entry : *files) {
            if (entry.is_object() && entry.contains("path") && entry["path"].is_string())
                entry["path"] = std::filesystem::absolute(entry["path"].get<std::string>()).lexically_normal().string();
        }
    }

    auto target = ChangeTarget::Open(m_context, "task import");
    if (!target)
        return ExitCode::Failure;
    auto reply = target->Request(ControlRequestLine("task-import", {{"task", std::move(task)}}));
    if (!reply) {
        m_context.Fail(reply.error());
        return ExitCode::Failure;
    }
    if ((*reply)["ok"] != true) {
        // The wizard's own message, as it shows it.
        m_context.err << TextOf(reply->value("error", Json())) << "\n";
        return ExitCode::Failure;
    }
    m_context.out << "Created task \"" << TextOf(reply->value("name", Json())) << "\"\n";
    // A folder that the scheduler cannot write to: the task is there, its runs would fail.
    if (reply->contains("warning"))
        m_context.err << "warning: " << TextOf((*reply)["warning"]) << "\n";
    return ExitCode::Ok;
}

} // namespace kelvanto
