#pragma once

#include "engines/io/FileSink.h"
#include "schedule/RunContext.h"

namespace kelvanto
{

// The run context that an engine writing files works through: it writes what the sink has
// gathered before every log line, so that whatever the log reports done is in the file.
// Everything else goes to the runner's context unchanged. An engine keeps only this context,
// never the one it was given, so that no log line can skip the flush.
class SinkFlushingContext : public RunContext
{
public:
    SinkFlushingContext(RunContext& inner, FileSink& sink);

    Task TaskCopy() const override;
    void UpdateTask(const std::function<void(Task&)>& change) override;
    bool QuitRequested() override;
    void Log(LogLevel level, std::string_view message) override;
    std::size_t ErrorLines() const override;
    void MarkConnectionLost() override;
    bool ConnectionLost() const override;
    TimeStamp Now() const override;
    void RegisterCancellable(Cancellable* object) override;
    void UnregisterCancellable(Cancellable* object) override;
    void SaveTaskList() override;
    const std::filesystem::path& DataFolder() const override;
    // Passed on as it is: progress says nothing about what is in the file.
    void ReportProgress(const RunProgress& progress) override;

private:
    RunContext& m_inner;
    FileSink& m_sink;
};

} // namespace kelvanto
