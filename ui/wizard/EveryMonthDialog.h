#pragma once

#include "ui/wizard/RunTimeDialog.h"

namespace kelvanto
{

class DayChecksBox;

// "Every Month Settings": the run time and the days "1st" to "31st", at least one.
class EveryMonthDialog : public RunTimeDialog
{
    Q_OBJECT

public:
    EveryMonthDialog(const Schedule& schedule, bool runTimeSet, Messages& messages, QWidget* parent = nullptr);

protected:
    std::string extraCheck() override;
    QWidget* extraFaultField() override;
    void saveExtra(Schedule& schedule) const override;

private:
    DayChecksBox* m_days;
};

} // namespace kelvanto
