#pragma once

#include "model/Task.h"
#include "model/TimeStamp.h"

namespace kelvanto
{

// The two schedule computations. Both are pure functions of the task and of the current local
// time `now` (seconds included, its weekday field ignored: the date decides the weekday); they
// read no clock and take no lock. The worker asks IsDue each time it wakes (NextWake.h says
// when); ComputeNextRun only feeds the "Next Run" display.

// The added fraction of a minute that keeps an exact multiple of a minute from truncating one
// minute low when a difference in days is turned into whole minutes.
inline constexpr double kMinuteRoundingAddend = 5.787037037037037e-6;

// True when the worker must begin a run now. Reads status, runNow, the schedule, startedTime
// and lastRunTime; a scheduled run happens at most once per clock minute.
bool IsDue(const Task& task, const TimeStamp& now);

// Writes task.nextRunTime (second 0, weekday of the resulting date) or clears it, by the rules
// of the schedule kind. A result that cannot be built (a run time or special date outside the
// calendar, a date past the year 9999) leaves no next run.
void ComputeNextRun(Task& task, const TimeStamp& now);

} // namespace kelvanto
