#pragma once

#include <iosfwd>
#include <string>

namespace kelvanto
{

// One line on a terminal that shows the progress of a followed run and is rewritten in
// place ("\r" and erase to the end of the line). Cleared before any other output, so that
// log lines never mix with it. Shows nothing when the stream is not a terminal.
class ProgressLine
{
public:
    ProgressLine(std::ostream& terminal, bool enabled);
    ~ProgressLine();
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    void Show(const std::string& text);
    void Clear();

    // The longest text shown; longer ones are cut with "...".
    static constexpr std::size_t kMaxWidth = 100;

private:
    std::ostream& m_terminal;
    const bool m_enabled;
    bool m_shown = false;
};

} // namespace kelvanto
