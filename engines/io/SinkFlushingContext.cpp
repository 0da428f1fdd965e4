#include "engines/io/SinkFlushingContext.h"

namespace kelvanto
{

SinkFlushingContext::SinkFlushingContext(RunContext& inner, FileSink& sink)
    : m_inner(inner)
    , m_sink(sink)
{ }

Task SinkFlushingContext::TaskCopy() const
{
    return m_inner.TaskCopy();
}

void SinkFlushingContext::UpdateTask(const std::function<void(Task&)>& change)
{
    m_inner.UpdateTask(change);
}

bool SinkFlushingContext::QuitRequested()
{
    return m_inner.QuitRequested();
}

void SinkFlushingContext::Log(LogLevel level, std::string_view message)
{
    // A failed write shows at the engine's next append to the file, which reports it with
    // the line of that piece; the log line itself is written either way.
    m_sink.Flush();
    m_inner.Log(level, message);
}

std::size_t SinkFlushingContext::ErrorLines() const
{
    return m_inner.ErrorLines();
}

void SinkFlushingContext::MarkConnectionLost()
{
    m_inner.MarkConnectionLost();
}

bool SinkFlushingContext::ConnectionLost() const
{
    return m_inner.ConnectionLost();
}

TimeStamp SinkFlushingContext::Now() const
{
    return m_inner.Now();
}

void SinkFlushingContext::RegisterCancellable(Cancellable* object)
{
    m_inner.RegisterCancellable(object);
}

void SinkFlushingContext::UnregisterCancellable(Cancellable* object)
{
    m_inner.UnregisterCancellable(object);
}

void SinkFlushingContext::SaveTaskList()
{
    m_inner.SaveTaskList();
}

const std::filesystem::path& SinkFlushingContext::DataFolder() const
{
    return m_inner.DataFolder();
}

void SinkFlushingContext::ReportProgress(const RunProgress& progress)
{
    m_inner.ReportProgress(progress);
}

} // namespace kelvanto
