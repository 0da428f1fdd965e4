#pragma once

#include "ui/wizard/CRunTimeDlg.h"

namespace kelvanto
{

class DayChecksBox;

// "Every Month Settings": the run time and the days "1st" to "31st", at least one.
class CEveryMonthDlg : public CRunTimeDlg
{
    Q_OBJECT

public:
    CEveryMonthDlg(const Schedule& schedule, bool runTimeSet, Messages& messages, QWidget* parent = nullptr);

protected:
    std::string ExtraCheck() override;
    QWidget* ExtraFaultField() override;
    void SaveExtra(Schedule& schedule) const override;

private:
    DayChecksBox* m_days;
};

} // namespace kelvanto
