#include "cli/ProgressLine.h"

#include <ostream>

namespace kelvanto
{

namespace
{

constexpr const char* kEraseLine = "\r\033[K";

} // namespace

ProgressLine::ProgressLine(std::ostream& terminal, bool enabled)
    : m_terminal(terminal)
    , m_enabled(enabled)
{ }

ProgressLine::~ProgressLine()
{
    Clear();
}

void ProgressLine::Show(const std::string& text)
{
    if (!m_enabled)
        return;
    std::string shown = text;
    if (shown.size() > kMaxWidth) {
        std::size_t cut = kMaxWidth - 3;
        while (cut > 0 && (static_cast<unsigned char>(shown[cut]) & 0xC0) == 0x80)
            --cut; // not inside a UTF-8 character
        shown = shown.substr(0, cut) + "...";
    }
    // Control characters of a name would move the cursor.
    for (char& c : shown) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            c = ' ';
    }
    m_terminal << kEraseLine << shown << std::flush;
    m_shown = true;
}

void ProgressLine::Clear()
{
    if (!m_shown)
        return;
    m_terminal << kEraseLine << std::flush;
    m_shown = false;
}

} // namespace kelvanto
