#pragma once

#include "model/TimeStamp.h"

#include <chrono>
#include <optional>

namespace kelvanto
{

// The first instant from `notBefore` on at which the local wall clock (the process's time
// zone) shows `local` or a later time, to the second. A time shown twice (the hour that the
// change back to standard time repeats) gives its first showing that is not before
// `notBefore`; a time that the change to summer time skips gives the moment of the change,
// when the clock first shows a later time. nullopt for a stamp that is no valid date and
// time, and for one whose showings all lie before `notBefore`.
std::optional<std::chrono::system_clock::time_point> FirstInstantShowing(
    const TimeStamp& local, std::chrono::system_clock::time_point notBefore);

} // namespace kelvanto
