#pragma once

#include "engines/io/FileSink.h"

namespace kelvanto::test
{

// The reference the engines' sink is held to: every piece opens the file (never creating
// it), writes at its end and closes it again; nothing is gathered and nothing stays open.
class PerPieceFileSink : public FileSink
{
public:
    bool Create(const std::string& path) override;
    bool Append(const std::string& path, std::string_view piece) override;
    bool Flush() override { return true; }
    bool Close() override { return true; }
};

} // namespace kelvanto::test
