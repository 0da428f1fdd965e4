#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace kelvanto
{

// The multi-row INSERT statements of one table: ten rows each, fewer when the next row would
// make the statement longer than the receiving server takes, so that a statement is never
// refused for its size while each of its rows would pass. Tables whose rows are small keep
// exactly ten rows per statement; a single row longer than the limit still goes alone. With
// no count of rows (a size the user chose), a statement takes every row that fits. The text
// buffer is kept from table to table, so that a row costs no allocation once it has grown.
class MultiRowStatement
{
public:
    static constexpr int kRowsPerStatement = 10;
    // No count of rows: a statement ends only where the next row would not fit.
    static constexpr int kAsManyAsFit = 0;

    // The longest statement text that a server with the given max_allowed_packet takes: the
    // packet also carries a command byte, and the server wants it below the limit (a 4 MiB
    // server takes 4 194 302 bytes and refuses one more).
    static constexpr std::size_t LongestStatementFor(std::size_t maxAllowedPacket)
    {
        return maxAllowedPacket > 2 ? maxAllowedPacket - 2 : 0;
    }

    // `maxBytes`: the longest statement text (without any terminator a writer adds) that the
    // receiver takes; `maxRows`: the rows of a full statement, or kAsManyAsFit.
    explicit MultiRowStatement(std::size_t maxBytes, int maxRows = kRowsPerStatement)
        : m_maxBytes(maxBytes)
        , m_maxRows(maxRows)
    { }

    std::size_t maxBytes() const { return m_maxBytes; }
    // The length of the first statement of the table that one row alone made longer than
    // maxBytes(); 0 when every row fitted.
    std::size_t firstOversized() const { return m_firstOversized; }

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
        if (m_text.size() > m_maxBytes) {
            if (m_pendingRows > 0) {
                if (!send(std::string_view(m_text).substr(0, rowStart - 1)))
                    return false;
                m_text.erase(m_prefixSize, rowStart - m_prefixSize);
                m_pendingRows = 0;
            }
            if (m_firstOversized == 0 && m_text.size() > m_maxBytes)
                m_firstOversized = m_text.size();
        }
        ++m_pendingRows;
        if (m_maxRows == kAsManyAsFit || m_pendingRows < m_maxRows) {
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
    int m_maxRows;
    std::size_t m_firstOversized = 0;
    std::string m_text;
    std::size_t m_prefixSize = 0;
    int m_pendingRows = 0;
};

// The Warning line of a table with rows too long for the statement size that the user chose
// (`maxInsertBytes`): each such row went alone into a statement of its own, the first of
// `firstStatement` bytes.
std::string OversizedRowsLine(const std::string& table, std::int64_t maxInsertBytes, std::size_t firstStatement);

} // namespace kelvanto
