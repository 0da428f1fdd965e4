#pragma once

#include "app/Application.h"
#include "cli/CliContext.h"
#include "engines/backupset/BackupVerification.h"

#include <string>
#include <vector>

namespace kelvanto
{

// kelvanto-cli verify NAME [--all] [--restore-to PROFILE]: checks the latest recorded backup
// of the task (every recorded backup with --all) against its manifest: one line per file
// ("OK" or "FAIL" with what is wrong) and a summary line per backup. With --restore-to, the
// latest backup is then restored into the server of the stored profile and compared with its
// manifest, as a run whose task asks for it does, with the verification's log lines. Exit 0
// when every check holds, 1 when any does not (a backup without a manifest included), 2 on
// a usage error.
class VerifyCommand
{
public:
    explicit VerifyCommand(CliContext& context)
        : m_context(context)
    { }
    int Run(const std::vector<std::string>& args);

private:
    // The verification by restore of the latest backup; true when it passed.
    // Restores only a backup whose files hold (`files`).
    bool VerifyByRestore(
        const Application& app, const Task& task, const BackupRun& run, const BackupVerification& files);

    CliContext& m_context;
    std::string m_restoreTo;
};

} // namespace kelvanto
