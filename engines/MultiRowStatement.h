#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kelvanto
{

// The multi-row INSERT statements of one table: ten rows each, fewer when the next row would
// make the statement longer than the receiving server takes, so that a statement is never
// refused for its size while each of its rows would pass. Tables whose rows are small keep
// exactly ten rows per statement; a single row longer than the limit still goes alone. The
// text buffer is kept from table to table, so that a row costs no allocation once it has grown.
class MultiRowStatement
{
public:
    static constexpr int kRowsPerStatement = 10;

    // The longest statement text that a server with the given max_allowed_packet takes: the
    // packet also carries a command byte, and the server wants it below the limit (a 4 MiB
    // server takes 4 194 302 bytes and refuses one more).
    static constexpr std::size_t LongestStatementFor(std::size_t maxAllowedPacket)
    {
        return maxAllowedPacket > 2 ? maxAllowedPacket - 2 : 0;
    }

    // `maxBytes`: the longest statement text (without any terminator a writer adds) that the
    // receiver takes.
    explicit MultiRowStatement(std::size_t maxBytes)
        : m_maxBytes(maxBytes)
    { }

    std::size_t maxBytes() const { return m_maxBytes; }

    // Starts the statements of a table: `prefix` is "INSERT ... VALUES ".
    void Start(std::string_view prefix);
    // The statement being built; the caller renders the next row onto its end.
    std::string& text() { return m_text; }
    // Rows added and not yet sent; while `send` runs, the rows of the statement it sends.
    int pendingRows() const { return m_pendingRows; }
    // The pending rows as one statement (without the trailing ","); empty when there are none.
    std::string_view Pending() const;

    // Called after one row was rendered onto text() from `rowStart`. Sends, through
    // send(std::string_view) -> bool, the statement that is complete now: the rows before this
    // one when it would make the statement too long, or all ten with it. False when that send
    // failed; the statement then stays as it was.
    template <class Send>
    bool RowAdded(std::size_t rowStart, Send&& send)
    {
        if (m_pendingRows > 0 && m_text.size() > m_maxBytes) {
            if (!send(std::string_view(m_text).substr(0, rowStart - 1)))
                return false;
            m_text.erase(m_prefixSize, rowStart - m_prefixSize);
            m_pendingRows = 0;
        }
        if (++m_pendingRows < kRowsPerStatement) {
            m_text += ',';
            return true;
        }
        if (!send(std::string_view(m_text)))
            return false;
        m_text.resize(m_prefixSize);
        m_pendingRows = 0;
        return true;
    }

    // The pending rows were sent as Pending().
    void PendingSent();
    // Back to the prefix alone, the pending rows dropped: single-row statements start each row so.
    void DropRows();

private:
    std::size_t m_maxBytes;
    std::string m_text;
    std::size_t m_prefixSize = 0;
    int m_pendingRows = 0;
};

} // namespace kelvanto
