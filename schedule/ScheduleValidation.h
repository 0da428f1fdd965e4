#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace kelvanto
{

// The checks of the schedule settings dialogs, kept free of any toolkit so that every front end
// shows the same messages. Each returns the warning text to show, or an empty text when the
// input is acceptable; the dialog then stays open on a warning and returns its values on OK
// otherwise.

inline constexpr int kMinIntervalMinutes = 1;
inline constexpr int kMaxIntervalMinutes = 99999;
// The range of the Special Date dialog's repeat spin control.
inline constexpr int kMinRepeatDays = 0;
inline constexpr int kMaxRepeatDays = 1000;

// The number in a spin control's edit field: an empty (or all-blank) field counts as 0; text
// that is not a plain decimal number gives -1, which every range check refuses; a number too
// large for an int saturates at the int maximum.
int ParseNumberField(std::string_view text);

// "Please input a number between 1 and 99999." outside 1-99999.
std::string CheckIntervalMinutes(int minutes);

// The hour and minute lists: a position of -1 means nothing is chosen.
std::string CheckRunTime(int hourIndex, int minuteIndex);

// "Please choose the days of the week." / "... of the month." with none ticked.
std::string CheckWeekDays(const std::array<std::uint8_t, 7>& weekDays);
std::string CheckMonthDays(const std::array<std::uint8_t, 31>& monthDays);

} // namespace kelvanto
