#pragma once

#include "engines/io/FileSink.h"
#include "model/Task.h"
#include "model/TimeStamp.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace kelvanto
{

// Writes the pieces of SQL and PHP dump files through a FileSink: creating a file, its
// header, the PHP connect line and footer, and one statement at a time. A writer belongs to
// one run (one file type and line end) and reuses its text buffer, so that appending a row
// costs no allocation once the buffer has grown.
//
// Two ways to append a statement:
// - AppendStatement (and the header, connect, footer and text blocks) writes the piece and
//   everything gathered before it to disk before it returns, so its result is the result of
//   that piece as the engine reports it, and a failure gets the line of that piece;
// - GatherStatement leaves the piece in the sink's buffer: for rows, whose failures all get
//   the same line (the caller ends the rows with a checked Flush), and for pieces whose
//   result the engine ignores (a failure then shows at the next checked piece).
class DumpWriter
{
public:
    DumpWriter(FileSink& sink, std::uint8_t fileType, std::string eol);

    std::uint8_t fileType() const { return m_fileType; }
    const std::string& eol() const { return m_eol; }

    // Creates the file or empties it; false when the path is empty or creation fails.
    bool CreateDumpFile(const std::string& path);
    // One statement as one line (";" added when missing); PHP files wrap it in mysql_query.
    bool AppendStatement(const std::string& path, std::string_view statement);
    bool GatherStatement(const std::string& path, std::string_view statement);
    bool WriteDumpHeader(const std::string& path, std::string_view host, std::string_view serverInfo,
        const TimeStamp& runTime, std::string_view note = {});
    bool WritePhpConnect(const std::string& path, const ServerConnection& connection);
    bool WritePhpFooter(const std::string& path);
    // The CREATE of a stored program: a DELIMITER block in an SQL file (the text keeps its line
    // ends), one statement in a PHP file, which sends each statement on its own.
    bool AppendProgram(const std::string& path, std::string_view create);
    // A block of ready text (the CREATE DATABASE and USE lines) in one piece.
    bool AppendText(const std::string& path, std::string_view text);
    // Writes what is gathered; false when a write of the open file failed now or before.
    bool Flush() { return Sunk(m_sink.Flush()); }
    // Ends the open file: its last piece has been appended, it takes its name.
    bool CloseFile() { return Sunk(m_sink.Close()); }
    // Ends the open file as not whole: it never takes its name.
    void AbandonFile() { m_sink.Abandon(); }
    // Whether a file could not be created, or a piece not written, since the writer was made:
    // the dump on disk is then not whole, even when the run goes on.
    bool AnyWriteFailed() const { return m_writeFailed; }
    // Why the last file operation failed: " - <strerror>", or empty when unknown.
    std::string FailureCause() const { return m_sink.LastErrorCause(); }

private:
    bool Written(const std::string& path);
    // Remembers a failure of the sink; returns `written`.
    bool Sunk(bool written);

    FileSink& m_sink;
    std::uint8_t m_fileType;
    std::string m_eol;
    std::string m_buffer;
    bool m_writeFailed = false;
};

// The same operations on the real file system, each opening and closing the file, for
// callers that hold no writer.
bool CreateDumpFile(const std::string& path);
bool AppendStatement(const std::string& path, std::string_view statement, std::uint8_t fileType, std::string_view eol);
bool WriteDumpHeader(const std::string& path, std::string_view host, std::string_view serverInfo, std::uint8_t fileType,
    std::string_view eol, const TimeStamp& runTime);
bool WritePhpConnect(const std::string& path, const ServerConnection& connection, std::string_view eol);
bool WritePhpFooter(const std::string& path, std::string_view eol);

} // namespace kelvanto
