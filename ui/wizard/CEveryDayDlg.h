#pragma once

#include "ui/wizard/CRunTimeDlg.h"

namespace kelvanto
{

// "Every Day Settings": the run time alone.
class CEveryDayDlg : public CRunTimeDlg
{
    Q_OBJECT

public:
    CEveryDayDlg(const Schedule& schedule, bool runTimeSet, Messages& messages, QWidget* parent = nullptr);
};

} // namespace kelvanto
