#pragma once

#include "ui/wizard/CRunTimeDlg.h"

namespace kelvanto
{

class DayChecksBox;

// "Every Week Settings": the run time and the days of the week, at least one.
class CEveryWeekDlg : public CRunTimeDlg
{
    Q_OBJECT

public:
    CEveryWeekDlg(const Schedule& schedule, bool runTimeSet, Messages& messages, QWidget* parent = nullptr);

protected:
    std::string ExtraCheck() override;
    QWidget* ExtraFaultField() override;
    void SaveExtra(Schedule& schedule) const override;

private:
    DayChecksBox* m_days;
};

} // namespace kelvanto
