#include "ui/wizard/CEveryDayDlg.h"

namespace kelvanto
{

CEveryDayDlg::CEveryDayDlg(const Schedule& schedule, bool runTimeSet, Messages& messages, QWidget* parent)
    : CRunTimeDlg(tr("Every Day Settings"), schedule, runTimeSet, messages, parent)
{
    setObjectName("everyDayDialog");
}

} // namespace kelvanto
