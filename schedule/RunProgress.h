#pragma once

#include <cstdint>
#include <string>

namespace kelvanto
{

// How far a running task has come, in one of two ways:
// - rows: the object being worked on (for example "sakila.rental"), the rows of it done so
//   far, and the server's estimate of its row count when it gave one (0 when not);
// - statements: those of a script (statementsDone of statementsTotal, no object), or those
//   of a file (its name as the object, the statements of it done so far, and the bytes of
//   it read of its length).
struct RunProgress
{
    enum class Counting : std::uint8_t {
        Rows,
        Statements,
    };

    std::string object;
    std::uint64_t rowsDone = 0;
    std::uint64_t rowsEstimate = 0;
    Counting counting = Counting::Rows;
    std::uint64_t statementsDone = 0;
    std::uint64_t statementsTotal = 0; // 0: not known
    std::uint64_t bytesDone = 0;
    std::uint64_t bytesTotal = 0; // 0: not known

    // The share of the object done, 0 to 100, or -1 when nothing tells. Statements of a
    // known total and bytes of a known length are exact; a row estimate can be short of
    // the real count, so its share stays at 99 until the object is done.
    int Percent() const
    {
        if (counting == Counting::Statements) {
            if (statementsTotal != 0)
                return Share(statementsDone, statementsTotal);
            return bytesTotal != 0 ? Share(bytesDone, bytesTotal) : -1;
        }
        if (rowsEstimate == 0)
            return -1;
        if (rowsDone >= rowsEstimate)
            return 99;
        return static_cast<int>(rowsDone * 100 / rowsEstimate);
    }

    bool operator==(const RunProgress&) const = default;

private:
    static int Share(std::uint64_t done, std::uint64_t total)
    {
        return done >= total ? 100 : static_cast<int>(done / static_cast<double>(total) * 100);
    }
};

} // namespace kelvanto
