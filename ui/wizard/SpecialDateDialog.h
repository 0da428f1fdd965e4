#pragma once

#include "ui/wizard/RunTimeDialog.h"

class QCalendarWidget;
class QLabel;

namespace kelvanto
{

class SpinField;

// "Special Date Settings": the run time, the date of the first run on a calendar (today until
// a date is stored), the chosen date written out under the date display option, and "Run the
// task every" N "day(s)" (0 to 1000, empty counting as 0).
class SpecialDateDialog : public RunTimeDialog
{
    Q_OBJECT

public:
    SpecialDateDialog(
        const Schedule& schedule, bool runTimeSet, int dateFormat, Messages& messages, QWidget* parent = nullptr);

protected:
    void saveExtra(Schedule& schedule) const override;

private:
    void showChosenDate();

    int m_dateFormat;
    QCalendarWidget* m_calendar;
    QLabel* m_chosen;
    SpinField* m_repeat;
};

} // namespace kelvanto
