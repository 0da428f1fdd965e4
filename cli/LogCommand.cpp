#include "cli/LogCommand.h"

#include "cli/ExitCode.h"
#include "model/SafeFolder.h"
#include "schedule/DateFormat.h"
#include "schedule/LogExport.h"

#include <ostream>

namespace kelvanto
{

namespace
{

constexpr const char* kNoLogs = "There are not any task logs!";

struct LogArguments
{
    std::string name;
    bool all = false;
    std::string csv, txt, log;
};

// Parses the verb's arguments; an empty text on success, else the usage fault.
std::string Parse(const std::vector<std::string>& args, LogArguments& parsed)
{
    bool haveName = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        std::string* target = a == "--csv" ? &parsed.csv
            : a == "--txt"                 ? &parsed.txt
            : a == "--log"                 ? &parsed.log
                                           : nullptr;
        if (a == "--all") {
            parsed.all = true;
        } else if (target) {
            if (i + 1 >= args.size() || args[i + 1].empty())
                return a + " needs a file name";
            *target = args[++i];
        } else if (a.size() > 1 && a[0] == '-' && a != "--") {
            return "unknown option " + a;
        } else if (!haveName) {
            parsed.name = a == "--" && i + 1 < args.size() ? args[++i] : a;
            haveName = true;
        } else {
            return "too many arguments";
        }
    }
    if (!haveName)
        return "usage: log NAME [--all] [--csv FILE] [--txt FILE] [--log FILE]";
    return {};
}

} // namespace

int LogCommand::Run(const std::vector<std::string>& args)
{
    LogArguments parsed;
    if (auto fault = Parse(args, parsed); !fault.empty()) {
        m_context.Fail(fault);
        return ExitCode::Usage;
    }
    auto app = m_context.OpenApplication();
    if (!app)
        return ExitCode::Failure;
    auto index = app->FindTask(parsed.name);
    if (!index) {
        m_context.Fail("no task named \"" + parsed.name + "\"");
        return ExitCode::Failure;
    }
    const std::string logFileName = app->CopyOfTask(*index)->logFileName;
    const auto records
        = parsed.all ? app->Log().ReadLog(logFileName) : app->Log().ReadLastLogRecords(logFileName, kViewerRecords);
    const int dateFormat = app->GetOptions().dateFormat;
    const int timeFormat = app->GetOptions().timeFormat;

    const bool exporting = !parsed.csv.empty() || !parsed.txt.empty() || !parsed.log.empty();
    if (!exporting) {
        for (std::size_t i = 0; i < records.size(); ++i) {
            const LogRecord& r = records[i];
            m_context.out << (i + 1) << '\t' << FormatDateTime(r.time, dateFormat, timeFormat, true) << '\t'
                          << LogLevelName(r.level) << '\t' << r.message << '\n';
        }
        return ExitCode::Ok;
    }
    // As in the viewer, nothing is exported while no record is loaded.
    if (records.empty()) {
        m_context.err << kNoLogs << "\n";
        return ExitCode::Failure;
    }
    int result = ExitCode::Ok;
    if (!parsed.csv.empty() && !ExportLogCsv(records, parsed.csv, dateFormat, timeFormat, PartialTag(logFileName))) {
        m_context.Fail("cannot write " + parsed.csv);
        result = ExitCode::Failure;
    }
    if (!parsed.txt.empty() && !ExportLogTxt(records, parsed.txt, dateFormat, timeFormat, PartialTag(logFileName))) {
        m_context.Fail("cannot write " + parsed.txt);
        result = ExitCode::Failure;
    }
    if (!parsed.log.empty() && !ExportLogFile(app->Log(), logFileName, parsed.log)) {
        m_context.Fail("cannot copy the log to " + parsed.log);
        result = ExitCode::Failure;
    }
    return result;
}

} // namespace kelvanto
