#include "engines/backup/DumpWriter.h"

#include "engines/sql/DumpText.h"
#include "engines/sql/StoredObject.h"

#include <utility>

namespace kelvanto
{

DumpWriter::DumpWriter(FileSink& sink, std::uint8_t fileType, std::string eol)
    : m_sink(sink)
    , m_fileType(fileType)
    , m_eol(std::move(eol))
{ }

bool DumpWriter::CreateDumpFile(const std::string& path)
{
    return Sunk(m_sink.Create(path));
}

bool DumpWriter::AppendStatement(const std::string& path, std::string_view statement)
{
    return GatherStatement(path, statement) && Sunk(m_sink.Flush());
}

bool DumpWriter::GatherStatement(const std::string& path, std::string_view statement)
{
    if (path.empty())
        return false;
    m_buffer.clear();
    AppendStatementText(m_buffer, statement, m_fileType, m_eol);
    return Sunk(m_sink.Append(path, m_buffer));
}

bool DumpWriter::WriteDumpHeader(const std::string& path, std::string_view host, std::string_view serverInfo,
    const TimeStamp& runTime, std::string_view note)
{
    m_buffer.clear();
    AppendDumpHeaderText(m_buffer, host, serverInfo, m_fileType, m_eol, runTime, note);
    return Written(path);
}

bool DumpWriter::WritePhpConnect(const std::string& path, const ServerConnection& connection)
{
    m_buffer.clear();
    AppendPhpConnectText(m_buffer, connection, m_eol);
    return Written(path);
}

bool DumpWriter::WritePhpFooter(const std::string& path)
{
    m_buffer.clear();
    AppendPhpFooterText(m_buffer, m_eol);
    return Written(path);
}

bool DumpWriter::AppendProgram(const std::string& path, std::string_view create)
{
    if (m_fileType == kPhpDumpFile)
        return AppendStatement(path, create);
    if (path.empty())
        return false;
    m_buffer.clear();
    AppendDelimiterBlock(m_buffer, create, m_eol);
    return Written(path);
}

bool DumpWriter::AppendText(const std::string& path, std::string_view text)
{
    return Sunk(m_sink.Append(path, text)) && Sunk(m_sink.Flush());
}

bool DumpWriter::Written(const std::string& path)
{
    return Sunk(m_sink.Append(path, m_buffer)) && Sunk(m_sink.Flush());
}

bool DumpWriter::Sunk(bool written)
{
    m_writeFailed = m_writeFailed || !written;
    return written;
}

namespace
{

// Each call gets a sink of its own, closed when the call returns: no file stays open, and
// threads never share one.
template <typename Write>
bool WithFileWriter(std::uint8_t fileType, std::string_view eol, Write write)
{
    FileSink files;
    DumpWriter writer(files, fileType, std::string(eol));
    const bool written = write(writer);
    return files.Close() && written;
}

} // namespace

bool CreateDumpFile(const std::string& path)
{
    return WithFileWriter(kSqlDumpFile, "", [&](DumpWriter& writer) { return writer.CreateDumpFile(path); });
}

bool AppendStatement(const std::string& path, std::string_view statement, std::uint8_t fileType, std::string_view eol)
{
    return WithFileWriter(fileType, eol, [&](DumpWriter& writer) { return writer.AppendStatement(path, statement); });
}

bool WriteDumpHeader(const std::string& path, std::string_view host, std::string_view serverInfo, std::uint8_t fileType,
    std::string_view eol, const TimeStamp& runTime)
{
    return WithFileWriter(
        fileType, eol, [&](DumpWriter& writer) { return writer.WriteDumpHeader(path, host, serverInfo, runTime); });
}

bool WritePhpConnect(const std::string& path, const ServerConnection& connection, std::string_view eol)
{
    return WithFileWriter(
        kPhpDumpFile, eol, [&](DumpWriter& writer) { return writer.WritePhpConnect(path, connection); });
}

bool WritePhpFooter(const std::string& path, std::string_view eol)
{
    return WithFileWriter(kPhpDumpFile, eol, [&](DumpWriter& writer) { return writer.WritePhpFooter(path); });
}

} // namespace kelvanto
