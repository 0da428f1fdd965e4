#pragma once

#include "model/Task.h"
#include "model/TimeStamp.h"

namespace kelvanto
{

// When a waiting worker must look at its task again: the start of the first local minute
// after `now` in which IsDue can hold (second 0), or no time (year 0) when the schedule
// alone never makes the task due (Manual, a week without a chosen day, a past one-off
// date). Never `now`'s own minute: the caller has just found the task not due in it.
// A run request, a stop, an edit and a change of the clock wake the worker besides.
TimeStamp NextWakeTime(const Task& task, const TimeStamp& now);

// The earlier of two wake times, where no time (year 0) counts as never.
TimeStamp EarlierWake(const TimeStamp& a, const TimeStamp& b);

} // namespace kelvanto
