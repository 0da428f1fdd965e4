#pragma once

#include <cstdint>
#include <string>

namespace kelvanto
{

// How far a running task has come: the object being worked on (for example
// "sakila.rental"), the rows of it done so far, and the server's estimate of its row
// count when it gave one (0 when not).
struct RunProgress
{
    std::string object;
    std::uint64_t rowsDone = 0;
    std::uint64_t rowsEstimate = 0;

    // The share of the object done, 0 to 100, or -1 without an estimate. An estimate can be
    // short of the real count: the share stays at 99 until the object is done.
    int Percent() const
    {
        if (rowsEstimate == 0)
            return -1;
        if (rowsDone >= rowsEstimate)
            return 99;
        return static_cast<int>(rowsDone * 100 / rowsEstimate);
    }

    bool operator==(const RunProgress&) const = default;
};

} // namespace kelvanto
