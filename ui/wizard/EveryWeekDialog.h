#pragma once

#include "ui/wizard/RunTimeDialog.h"

namespace kelvanto
{

class DayChecksBox;

// "Every Week Settings": the run time and the days of the week, at least one.
class EveryWeekDialog : public RunTimeDialog
{
    Q_OBJECT

public:
    EveryWeekDialog(const Schedule& schedule, bool runTimeSet, Messages& messages, QWidget* parent = nullptr);

protected:
    std::string extraCheck() override;
    QWidget* extraFaultField() override;
    void saveExtra(Schedule& schedule) const override;

private:
    DayChecksBox* m_days;
};

} // namespace kelvanto
