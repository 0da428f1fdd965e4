#pragma once

#include <string>
#include <string_view>

namespace kelvanto
{

// The one way bytes reach a dump file. Every piece is written by opening the existing
// file (never creating or truncating it), moving to its end, writing the whole text and
// closing the file again; no file stays open between pieces, so whatever was written
// before a crash or a cancellation stays on disk complete.
//
// The members are virtual so that tests can stand in a sink that fails.
class DumpFile
{
public:
    virtual ~DumpFile() = default;

    // Creates the file, or empties it when it exists. False when the path is empty or the
    // file cannot be created.
    virtual bool Create(const std::string& path);

    // Appends `text` in one piece. False when the path is empty, the file cannot be opened
    // (a missing file is not created), or not every byte could be written (a full disk).
    virtual bool Append(const std::string& path, std::string_view text);
};

} // namespace kelvanto
