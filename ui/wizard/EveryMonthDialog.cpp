#include "ui/wizard/EveryMonthDialog.h"

#include "schedule/ScheduleDescription.h"
#include "schedule/ScheduleValidation.h"
#include "ui/wizard/DayChecksBox.h"

#include <QGroupBox>
#include <QVBoxLayout>

namespace kelvanto
{

namespace
{

QStringList DayLabels()
{
    QStringList labels;
    for (int day = 1; day <= 31; ++day)
        labels << QString::fromStdString(OrdinalDay(day));
    return labels;
}

QStringList DayNames()
{
    QStringList names;
    for (int day = 1; day <= 31; ++day)
        names << QStringLiteral("day%1").arg(day);
    return names;
}

} // namespace

EveryMonthDialog::EveryMonthDialog(const Schedule& schedule, bool runTimeSet, Messages& messages, QWidget* parent)
    : RunTimeDialog(tr("Every Month Settings"), schedule, runTimeSet, messages, parent)
    , m_days(new DayChecksBox(DayLabels(), DayNames(), 7, this))
{
    setObjectName("everyMonthDialog");
    m_days->load(schedule.monthDays);
    auto* box = new QGroupBox(tr("Days of the month"), this);
    auto* layout = new QVBoxLayout(box);
    layout->addWidget(m_days);
    extraLayout()->addWidget(box);
}

std::string EveryMonthDialog::extraCheck()
{
    Schedule schedule;
    m_days->save(schedule.monthDays);
    return CheckMonthDays(schedule.monthDays);
}

QWidget* EveryMonthDialog::extraFaultField()
{
    return m_days;
}

void EveryMonthDialog::saveExtra(Schedule& schedule) const
{
    m_days->save(schedule.monthDays);
}

} // namespace kelvanto
