#include "ui/wizard/EveryWeekDialog.h"

#include "schedule/ScheduleValidation.h"
#include "ui/wizard/DayChecksBox.h"

#include <QGroupBox>
#include <QVBoxLayout>

namespace kelvanto
{

EveryWeekDialog::EveryWeekDialog(const Schedule& schedule, bool runTimeSet, Messages& messages, QWidget* parent)
    : RunTimeDialog(tr("Every Week Settings"), schedule, runTimeSet, messages, parent)
    , m_days(new DayChecksBox(
          {tr("Sunday"), tr("Monday"), tr("Tuesday"), tr("Wednesday"), tr("Thursday"), tr("Friday"), tr("Saturday")},
          {QStringLiteral("sunday"), QStringLiteral("monday"), QStringLiteral("tuesday"), QStringLiteral("wednesday"),
              QStringLiteral("thursday"), QStringLiteral("friday"), QStringLiteral("saturday")},
          4, this))
{
    setObjectName("everyWeekDialog");
    m_days->load(schedule.weekDays);
    auto* box = new QGroupBox(tr("Days of the week"), this);
    auto* layout = new QVBoxLayout(box);
    layout->addWidget(m_days);
    extraLayout()->addWidget(box);
}

std::string EveryWeekDialog::extraCheck()
{
    Schedule schedule;
    m_days->save(schedule.weekDays);
    return CheckWeekDays(schedule.weekDays);
}

QWidget* EveryWeekDialog::extraFaultField()
{
    return m_days;
}

void EveryWeekDialog::saveExtra(Schedule& schedule) const
{
    m_days->save(schedule.weekDays);
}

} // namespace kelvanto
