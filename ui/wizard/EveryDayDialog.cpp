#include "ui/wizard/EveryDayDialog.h"

namespace kelvanto
{

EveryDayDialog::EveryDayDialog(const Schedule& schedule, bool runTimeSet, Messages& messages, QWidget* parent)
    : RunTimeDialog(tr("Every Day Settings"), schedule, runTimeSet, messages, parent)
{
    setObjectName("everyDayDialog");
}

} // namespace kelvanto
