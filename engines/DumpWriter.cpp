#include "engines/DumpWriter.h"

#include "engines/DumpText.h"

#include <utility>

namespace kelvanto
{

DumpWriter::DumpWriter(DumpFile& sink, std::uint8_t fileType, std::string eol)
    : m_sink(sink)
    , m_fileType(fileType)
    , m_eol(std::move(eol))
{ }

bool DumpWriter::CreateDumpFile(const std::string& path)
{
    return m_sink.Create(path);
}

bool DumpWriter::AppendStatement(const std::string& path, std::string_view statement)
{
    if (path.empty())
        return false;
    m_buffer.clear();
    AppendStatementText(m_buffer, statement, m_fileType, m_eol);
    return m_sink.Append(path, m_buffer);
}

bool DumpWriter::WriteDumpHeader(
    const std::string& path, std::string_view host, std::string_view serverInfo, const TimeStamp& runTime)
{
    m_buffer.clear();
    AppendDumpHeaderText(m_buffer, host, serverInfo, m_fileType, m_eol, runTime);
    return m_sink.Append(path, m_buffer);
}

bool DumpWriter::WritePhpConnect(const std::string& path, const ServerConnection& connection)
{
    m_buffer.clear();
    AppendPhpConnectText(m_buffer, connection, m_eol);
    return m_sink.Append(path, m_buffer);
}

bool DumpWriter::WritePhpFooter(const std::string& path)
{
    m_buffer.clear();
    AppendPhpFooterText(m_buffer, m_eol);
    return m_sink.Append(path, m_buffer);
}

bool DumpWriter::AppendText(const std::string& path, std::string_view text)
{
    return m_sink.Append(path, text);
}

namespace
{

DumpWriter FileWriter(std::uint8_t fileType, std::string_view eol)
{
    static DumpFile files;
    return DumpWriter(files, fileType, std::string(eol));
}

} // namespace

bool CreateDumpFile(const std::string& path)
{
    return FileWriter(kSqlDumpFile, "").CreateDumpFile(path);
}

bool AppendStatement(const std::string& path, std::string_view statement, std::uint8_t fileType, std::string_view eol)
{
    return FileWriter(fileType, eol).AppendStatement(path, statement);
}

bool WriteDumpHeader(const std::string& path, std::string_view host, std::string_view serverInfo, std::uint8_t fileType,
    std::string_view eol, const TimeStamp& runTime)
{
    return FileWriter(fileType, eol).WriteDumpHeader(path, host, serverInfo, runTime);
}

bool WritePhpConnect(const std::string& path, const ServerConnection& connection, std::string_view eol)
{
    return FileWriter(kPhpDumpFile, eol).WritePhpConnect(path, connection);
}

bool WritePhpFooter(const std::string& path, std::string_view eol)
{
    return FileWriter(kPhpDumpFile, eol).WritePhpFooter(path);
}

} // namespace kelvanto
