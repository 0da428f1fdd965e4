#include "cli/VerifyCommand.h"

#include "cli/ConsoleRunContext.h"
#include "cli/ExitCode.h"
#include "cli/InterruptCatch.h"
#include "engines/backup/RestoreVerification.h"
#include "engines/backupset/BackupVerification.h"

#include <cstdio>
#include <ostream>

namespace kelvanto
{

namespace
{

constexpr const char* kUsage = "usage: verify NAME [--all] [--restore-to PROFILE]";

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
        } else if (a == "--restore-to") {
            if (i + 1 >= args.size() || args[i + 1].empty()) {
                m_context.Fail("--restore-to needs the name of a stored server profile");
                return ExitCode::Usage;
            }
            m_restoreTo = args[++i];
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
    if (all && !m_restoreTo.empty()) {
        m_context.Fail("--restore-to verifies the latest backup only: give it without --all");
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
    const Task task = *app->CopyOfTask(*index);
    const std::vector<BackupRun>& history = task.backupHistory;
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
        if (!m_restoreTo.empty())
            allHold = VerifyByRestore(*app, task, run, result) && allHold;
    }
    return allHold ? ExitCode::Ok : ExitCode::Failure;
}

bool VerifyCommand::VerifyByRestore(
    const Application& app, const Task& task, const BackupRun& run, const BackupVerification& files)
{
    std::optional<ServerConnection> server;
    for (const ServerConnection& profile : app.Servers().profiles()) {
        if (profile.connectionName == m_restoreTo)
            server = profile;
    }
    m_context.out << "Backup of " << RunTimeText(run) << ": ";
    if (!server) {
        m_context.out << "NOT verified by a restore: no stored server profile is named \"" << m_restoreTo << "\"\n";
        return false;
    }
    if (!files.manifest) {
        m_context.out << "NOT verified by a restore: without a manifest there is nothing to compare with\n";
        return false;
    }
    // Only the files the run wrote are restored: others may hold any statement, for any database.
    if (!files.ok) {
        m_context.out << "NOT verified by a restore: the files are not the ones the run wrote\n";
        return false;
    }
    m_context.out << "restoring into the server of the profile \"" << m_restoreTo << "\"\n";
    // Ctrl-C stops the verification, which then drops what it created, instead of ending the
    // program with its databases left behind.
    InterruptCatch catchInterrupt(m_context.catchInterrupt);
    ConsoleRunContext context(m_context.out, task, app.Folder().Root(), *m_context.clock, m_context.interrupted);
    const RestoreVerificationResult result
        = kelvanto::VerifyByRestore(context, m_context.connector, {task.source, *server, *files.manifest, run.files});
    m_context.out << "Backup of " << RunTimeText(run) << ": ";
    switch (result.outcome) {
    case RestoreVerificationResult::Outcome::Passed:
        m_context.out << "verified by a restore into " << result.record.server << "\n";
        return true;
    case RestoreVerificationResult::Outcome::Failed:
        m_context.out << "FAILED the verification by restore: " << result.record.failure << "\n";
        return false;
    case RestoreVerificationResult::Outcome::Cancelled:
        break;
    }
    m_context.out << "NOT verified by a restore: stopped\n";
    return false;
}

} // namespace kelvanto
