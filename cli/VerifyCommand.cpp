#include "cli/VerifyCommand.h"

#include "cli/ExitCode.h"
#include "engines/BackupVerification.h"

#include <cstdio>
#include <ostream>

namespace kelvanto
{

namespace
{

constexpr const char* kUsage = "usage: verify NAME [--all]";

std::string RunTimeText(const BackupRun& run)
{
    char text[32] = {};
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", run.year, run.month, run.day, run.hour,
        run.minute, run.second);
    return text;
}

} // namespace

int VerifyCommand::Run(const std::vector<std::string>& args)
{
    std::string name;
    bool haveName = false;
    bool all = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--all") {
            all = true;
        } else if (a.size() > 1 && a[0] == '-' && a != "--") {
            m_context.Fail("unknown option " + a);
            return ExitCode::Usage;
        } else if (!haveName) {
            name = a == "--" && i + 1 < args.size() ? args[++i] : a;
            haveName = true;
        } else {
            m_context.Fail("too many arguments");
            return ExitCode::Usage;
        }
    }
    if (!haveName) {
        m_context.Fail(kUsage);
        return ExitCode::Usage;
    }
    auto app = m_context.OpenApplication();
    if (!app)
        return ExitCode::Failure;
    const auto index = app->FindTask(name);
    if (!index) {
        m_context.Fail("no task named \"" + name + "\"");
        return ExitCode::Failure;
    }
    const std::vector<BackupRun> history = app->CopyOfTask(*index)->backupHistory;
    if (history.empty()) {
        m_context.Fail("the task \"" + name + "\" has no recorded backup");
        return ExitCode::Failure;
    }
    const std::size_t first = all ? 0 : history.size() - 1;
    bool allHold = true;
    for (std::size_t i = first; i < history.size(); ++i) {
        const BackupRun& run = history[i];
        const BackupVerification result = VerifyBackupRun(run);
        for (const std::string& line : result.lines)
            m_context.out << line << '\n';
        m_context.out << "Backup of " << RunTimeText(run) << ": ";
        if (result.ok)
            m_context.out << "verified, " << result.filesChecked << " file(s) hold\n";
        else if (!result.manifestFound)
            m_context.out << "NOT verified: no usable manifest; " << result.filesFailed << " of " << result.filesChecked
                          << " file(s) failed\n";
        else
            m_context.out << "FAILED: " << result.filesFailed << " of " << result.filesChecked << " file(s) failed\n";
        allHold = allHold && result.ok;
    }
    return allHold ? ExitCode::Ok : ExitCode::Failure;
}

} // namespace kelvanto
