#pragma once

#include "ui/wizard/RunTimeDialog.h"

namespace kelvanto
{

// "Every Day Settings": the run time alone.
class EveryDayDialog : public RunTimeDialog
{
    Q_OBJECT

public:
    EveryDayDialog(const Schedule& schedule, bool runTimeSet, Messages& messages, QWidget* parent = nullptr);
};

} // namespace kelvanto
