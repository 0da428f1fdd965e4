#include "schedule/RunResult.h"

#include "schedule/TaskLog.h"

#include <array>
#include <charconv>

namespace kelvanto
{

namespace
{

constexpr std::string_view kPrefix = "Run ended: ";

struct ResultText
{
    RunResult result;
    std::string_view line; // after kPrefix, before any count
    const char* name;
};

constexpr std::array<ResultText, 4> kTexts {{
    {RunResult::Succeeded, "succeeded", "succeeded"},
    {RunResult::CompletedWithErrors, "completed with errors", "completed-with-errors"},
    {RunResult::Failed, "failed", "failed"},
    {RunResult::Cancelled, "cancelled", "cancelled"},
}};

const ResultText& TextOf(RunResult result)
{
    for (const ResultText& text : kTexts) {
        if (text.result == result)
            return text;
    }
    return kTexts[2];
}

// " (N)" with N > 0, as the end line writes it; nullopt for anything else.
std::optional<std::size_t> CountSuffix(std::string_view rest)
{
    if (rest.size() < 4 || rest.substr(0, 2) != " (" || rest.back() != ')')
        return std::nullopt;
    const std::string_view digits = rest.substr(2, rest.size() - 3);
    std::size_t count = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), count);
    if (error != std::errc() || end != digits.data() + digits.size() || count == 0 || digits.front() == '0')
        return std::nullopt;
    return count;
}

} // namespace

RunResult DecideRunResult(RunOutcome engine, std::size_t errorLines, bool connectionLost)
{
    if (connectionLost)
        return RunResult::Failed;
    switch (engine) {
    case RunOutcome::Cancelled:
        return RunResult::Cancelled;
    case RunOutcome::Failed:
        return RunResult::Failed;
    case RunOutcome::Finished:
        break;
    }
    return errorLines == 0 ? RunResult::Succeeded : RunResult::CompletedWithErrors;
}

std::string RunEndLine(const RunEnd& end)
{
    std::string line = std::string(kPrefix) + std::string(TextOf(end.result).line);
    const bool counted = end.result == RunResult::CompletedWithErrors || end.result == RunResult::Failed;
    if (counted && end.errors > 0)
        line += " (" + std::to_string(end.errors) + ")";
    return line;
}

LogLevel RunEndLevel(RunResult result)
{
    switch (result) {
    case RunResult::Succeeded:
        return LogLevel::General;
    case RunResult::Cancelled:
        return LogLevel::Warning;
    case RunResult::CompletedWithErrors:
    case RunResult::Failed:
        break;
    }
    return LogLevel::Error;
}

std::optional<RunEnd> ParseRunEndLine(std::string_view line)
{
    if (!line.starts_with(kPrefix))
        return std::nullopt;
    line.remove_prefix(kPrefix.size());
    for (const ResultText& text : kTexts) {
        if (!line.starts_with(text.line))
            continue;
        const std::string_view rest = line.substr(text.line.size());
        if (rest.empty() && text.result != RunResult::CompletedWithErrors)
            return RunEnd {text.result, 0};
        const bool counted = text.result == RunResult::CompletedWithErrors || text.result == RunResult::Failed;
        if (const auto count = CountSuffix(rest); count && counted)
            return RunEnd {text.result, *count};
    }
    return std::nullopt;
}

std::optional<LastRun> LastRunOf(const TaskLog& log, std::string_view logFileName)
{
    const std::optional<LogRecord> record = log.FindLastRecord(
        logFileName, [](std::string_view text) { return text == kRunBeginLine || ParseRunEndLine(text).has_value(); });
    if (!record)
        return std::nullopt;
    if (const auto end = ParseRunEndLine(record->message))
        return LastRun {*end, record->time, true};
    return LastRun {RunEnd {RunResult::Failed, 0}, record->time, false};
}

std::string RunEndWord(const RunEnd& end)
{
    switch (end.result) {
    case RunResult::Succeeded:
        return "OK";
    case RunResult::CompletedWithErrors:
        return "Errors (" + std::to_string(end.errors) + ")";
    case RunResult::Cancelled:
        return "Cancelled";
    case RunResult::Failed:
        break;
    }
    return "Failed";
}

const char* RunResultName(RunResult result)
{
    return TextOf(result).name;
}

std::optional<RunResult> RunResultFromName(std::string_view name)
{
    for (const ResultText& text : kTexts) {
        if (name == text.name)
            return text.result;
    }
    return std::nullopt;
}

} // namespace kelvanto
