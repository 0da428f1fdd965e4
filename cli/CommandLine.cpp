#include "cli/CommandLine.h"

#include "cli/ChangeCommand.h"
#include "cli/ExitCode.h"
#include "cli/ListCommand.h"
#include "cli/LogCommand.h"
#include "cli/RunCommand.h"
#include "cli/ServeCommand.h"
#include "cli/ServerCommand.h"
#include "cli/TaskExportCommand.h"
#include "cli/TaskImportCommand.h"
#include "cli/VerifyCommand.h"

#include <ostream>

namespace kelvanto
{

const char* CommandLine::UsageText()
{
    return "usage: kelvanto-cli [--data-dir DIR] COMMAND [ARGS]\n"
           "\n"
           "commands:\n"
           "  list                      one line per task: name, type, schedule, status, last run, next run\n"
           "                            (and the progress of a running task, from a running scheduler)\n"
           "  run NAME                  run a task once now and follow it to its end (Ctrl-C stops it)\n"
           "  start NAME | stop NAME    start a scheduled task, or stop a task\n"
           "  task export NAME [--with-passwords]\n"
           "                            print the task as JSON (passwords only when asked)\n"
           "  task import FILE          create a task from its JSON form (FILE - reads standard input)\n"
           "  task delete NAME          delete a task and its log\n"
           "  task rename NAME NEW      rename a task\n"
           "  task copy NAME            copy a task as NAME_Copy\n"
           "  log NAME [--all]          print the last 200 log records of a task (--all: every record)\n"
           "      [--csv FILE] [--txt FILE] [--log FILE]\n"
           "                            export the records as CSV or TXT, or copy the log file\n"
           "  verify NAME [--all]       check the latest backup of a task (--all: every recorded backup)\n"
           "                            against its manifest: each file present, its size and SHA-256,\n"
           "                            and that it decompresses to its end\n"
           "      [--restore-to PROFILE] then restore the latest backup into that profile's server\n"
           "                            and compare its tables and stored programs with the manifest\n"
           "  server list               the stored server profiles\n"
           "  server add NAME --host HOST [--port N] [--user U] [--password P | --password-stdin]\n"
           "      [--database D] [--comment C] [--[no-]save-password] [--[no-]compression] [--[no-]ssl]\n"
           "  server edit NAME [--name NEW] [the options of add]\n"
           "  server remove NAME\n"
           "  server test NAME [options] | server test --host HOST [options]\n"
           "  serve [--lock-wait S]     run the scheduler in the foreground (the service); wait up to S\n"
           "                            seconds (5) for a command line that holds the data folder\n"
           "\n"
           "While a scheduler (the service or the desktop application) holds the data folder, the\n"
           "commands that change tasks or run them are carried out by it, through its control socket.\n"
           "\n"
           "The data folder is --data-dir DIR, else $KELVANTO_HOME, else $XDG_DATA_HOME/kelvanto,\n"
           "else ~/.local/share/kelvanto.\n"
           "Exit codes: 0 success, 1 failure, 2 usage error, 130 run stopped by Ctrl-C.\n";
}

int CommandLine::Usage(const std::string& fault)
{
    m_context.Fail(fault);
    m_context.err << UsageText();
    return ExitCode::Usage;
}

int CommandLine::Run(const std::vector<std::string>& args)
{
    std::size_t i = 0;
    for (; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--data-dir") {
            if (i + 1 >= args.size() || args[i + 1].empty())
                return Usage("--data-dir needs a folder");
            m_context.dataDir = args[++i];
        } else if (a.rfind("--data-dir=", 0) == 0) {
            m_context.dataDir = a.substr(11);
            if (m_context.dataDir.empty())
                return Usage("--data-dir needs a folder");
        } else if (a == "-h" || a == "--help" || a == "help") {
            m_context.out << UsageText();
            return ExitCode::Ok;
        } else if (!a.empty() && a[0] == '-') {
            return Usage("unknown option " + a);
        } else {
            break;
        }
    }
    if (i >= args.size())
        return Usage("no command given");

    const std::string verb = args[i++];
    if (verb == "task") {
        if (i >= args.size())
            return Usage("task needs export, import, delete, rename or copy");
        const std::string sub = args[i++];
        std::vector<std::string> rest(args.begin() + static_cast<std::ptrdiff_t>(i), args.end());
        if (sub == "export")
            return TaskExportCommand(m_context).Run(rest);
        if (sub == "import")
            return TaskImportCommand(m_context).Run(rest);
        if (sub == "delete" || sub == "rename" || sub == "copy")
            return ChangeCommand(m_context).Run("task " + sub, rest);
        return Usage("unknown task command " + sub);
    }
    std::vector<std::string> rest(args.begin() + static_cast<std::ptrdiff_t>(i), args.end());
    if (verb == "list")
        return ListCommand(m_context).Run(rest);
    if (verb == "log")
        return LogCommand(m_context).Run(rest);
    if (verb == "run")
        return RunCommand(m_context).Run(rest);
    if (verb == "verify")
        return VerifyCommand(m_context).Run(rest);
    if (verb == "start" || verb == "stop")
        return ChangeCommand(m_context).Run(verb, rest);
    if (verb == "server")
        return ServerCommand(m_context).Run(rest);
    if (verb == "serve")
        return ServeCommand(m_context).Run(rest);
    return Usage("unknown command " + verb);
}

} // namespace kelvanto
