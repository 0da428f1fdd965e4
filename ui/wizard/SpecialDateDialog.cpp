#include "ui/wizard/SpecialDateDialog.h"

#include "schedule/DateFormat.h"
#include "schedule/ScheduleValidation.h"
#include "ui/wizard/SpinField.h"

#include <QCalendarWidget>
#include <QHBoxLayout>
#include <QLabel>

#include <algorithm>

namespace kelvanto
{

SpecialDateDialog::SpecialDateDialog(
    const Schedule& schedule, bool runTimeSet, int dateFormat, Messages& messages, QWidget* parent)
    : RunTimeDialog(tr("Special Date Settings"), schedule, runTimeSet, messages, parent)
    , m_dateFormat(dateFormat)
    , m_calendar(new QCalendarWidget(this))
    , m_chosen(new QLabel(this))
    , m_repeat(new SpinField(kMinRepeatDays, kMaxRepeatDays, 4, this))
{
    setObjectName("specialDateDialog");
    m_calendar->setObjectName("calendar");
    m_chosen->setObjectName("chosenDate");
    m_repeat->setNames("repeatDays");
    const QDate stored(schedule.specialYear, schedule.specialMonth, schedule.specialDay);
    m_calendar->setSelectedDate(schedule.specialYear != 0 && stored.isValid() ? stored : QDate::currentDate());
    m_repeat->setNumber(std::clamp(schedule.repeatDays, kMinRepeatDays, kMaxRepeatDays));
    connect(m_calendar, &QCalendarWidget::selectionChanged, this, &SpecialDateDialog::showChosenDate);
    showChosenDate();

    auto* repeat = new QHBoxLayout;
    repeat->addWidget(new QLabel(tr("Run the task every"), this));
    repeat->addWidget(m_repeat);
    repeat->addWidget(new QLabel(tr("day(s)"), this));
    repeat->addStretch(1);
    extraLayout()->addWidget(m_calendar);
    extraLayout()->addWidget(m_chosen);
    extraLayout()->addLayout(repeat);
}

void SpecialDateDialog::showChosenDate()
{
    const QDate date = m_calendar->selectedDate();
    m_chosen->setText(QString::fromStdString(FormatDatePart(date.year(), date.month(), date.day(), m_dateFormat)));
}

void SpecialDateDialog::saveExtra(Schedule& schedule) const
{
    const QDate date = m_calendar->selectedDate();
    schedule.specialYear = date.year();
    schedule.specialMonth = date.month();
    schedule.specialDay = date.day();
    schedule.repeatDays = std::clamp(ParseNumberField(m_repeat->text().toStdString()), kMinRepeatDays, kMaxRepeatDays);
}

} // namespace kelvanto
