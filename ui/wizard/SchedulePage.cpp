#include "ui/wizard/SchedulePage.h"

#include "schedule/ScheduleDescription.h"
#include "schedule/ScheduleValidation.h"
#include "ui/TaskDialogContext.h"
#include "ui/wizard/EveryDayDialog.h"
#include "ui/wizard/EveryMonthDialog.h"
#include "ui/wizard/EveryWeekDialog.h"
#include "ui/wizard/FailureCommandField.h"
#include "ui/wizard/SpecialDateDialog.h"
#include "ui/wizard/TimeIntervalDialog.h"
#include "ui/wizard/WizardTexts.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>
#include <memory>

namespace kelvanto
{

namespace
{

struct KindRow
{
    ScheduleKind kind;
    const char* name;
    const char* text;
};

// In the page's order; the texts are the page's own, translated by its tr().
constexpr KindRow kRows[] = {
    {ScheduleKind::Manual, "manual", QT_TRANSLATE_NOOP("kelvanto::SchedulePage", "Manual")},
    {ScheduleKind::TimeInterval, "timeInterval", QT_TRANSLATE_NOOP("kelvanto::SchedulePage", "Time Interval")},
    {ScheduleKind::EveryDay, "everyDay", QT_TRANSLATE_NOOP("kelvanto::SchedulePage", "Every Day")},
    {ScheduleKind::EveryWeek, "everyWeek", QT_TRANSLATE_NOOP("kelvanto::SchedulePage", "Every Week")},
    {ScheduleKind::EveryMonth, "everyMonth", QT_TRANSLATE_NOOP("kelvanto::SchedulePage", "Every Month")},
    {ScheduleKind::SpecialDate, "specialDate", QT_TRANSLATE_NOOP("kelvanto::SchedulePage", "Special Date")},
};

template <typename Flags>
bool Any(const Flags& flags)
{
    return std::any_of(flags.begin(), flags.end(), [](std::uint8_t flag) { return flag != 0; });
}

} // namespace

SchedulePage::SchedulePage(TaskPageSession& session, QWidget* parent)
    : TaskPage(session, parent)
    , m_kinds(new QButtonGroup(this))
    , m_radios {}
    , m_description(new QLabel(this))
    , m_onFailure(new FailureCommandField(this))
{
    m_description->setObjectName(QStringLiteral("scheduleDescription"));
    m_description->setWordWrap(true);
    auto* box = new QGroupBox(tr("Task schedule"), this);
    auto* grid = new QGridLayout(box);
    int row = 0;
    for (const KindRow& item : kRows) {
        auto* radio = new QRadioButton(tr(item.text), box);
        radio->setObjectName(QLatin1String(item.name));
        m_radios[static_cast<std::size_t>(row)] = radio;
        m_kinds->addButton(radio, static_cast<int>(item.kind));
        grid->addWidget(radio, row, 0);
        if (item.kind != ScheduleKind::Manual) {
            auto* settings = new QPushButton(tr("Settings..."), box);
            settings->setObjectName(QLatin1String(item.name) + QLatin1String("Settings"));
            const ScheduleKind kind = item.kind;
            connect(settings, &QPushButton::clicked, this, [this, kind] { openSettings(kind); });
            grid->addWidget(settings, row, 1);
        }
        ++row;
    }
    grid->setColumnStretch(2, 1);
    connect(m_kinds, &QButtonGroup::idToggled, this, [this] { showDescription(); });
    connect(m_kinds, &QButtonGroup::idClicked, this, [this] { m_changed = true; });
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(box);
    layout->addWidget(m_description);
    layout->addSpacing(12);
    layout->addWidget(m_onFailure);
    layout->addStretch(1);
}

QString SchedulePage::title() const
{
    return tr("Task Schedule");
}

void SchedulePage::load(const Task& task)
{
    m_loaded = task.schedule;
    m_changed = false;
    m_schedule = task.schedule;
    const int kind = static_cast<int>(task.schedule.kind);
    m_runTimeSet = kind >= 1 && kind <= 4;
    m_dateSet = task.schedule.kind == ScheduleKind::SpecialDate && task.schedule.specialYear != 0;
    m_kinds->setExclusive(false);
    for (QRadioButton* radio : m_radios)
        radio->setChecked(false);
    m_kinds->setExclusive(true);
    if (QAbstractButton* radio = m_kinds->button(kind))
        radio->setChecked(true);
    showDescription();
    m_onFailure->load(task.extras);
}

int SchedulePage::chosenKind() const
{
    return m_kinds->checkedId();
}

void SchedulePage::openSettings(ScheduleKind kind)
{
    Messages& box = messages();
    const bool runTime = m_runTimeSet;
    bool accepted = false;
    switch (kind) {
    case ScheduleKind::TimeInterval: {
        TimeIntervalDialog dialog(m_schedule.intervalMinutes, box, window());
        accepted = dialog.exec() == QDialog::Accepted;
        if (accepted)
            m_schedule.intervalMinutes = dialog.minutes();
        break;
    }
    case ScheduleKind::EveryDay:
    case ScheduleKind::EveryWeek:
    case ScheduleKind::EveryMonth:
    case ScheduleKind::SpecialDate: {
        std::unique_ptr<RunTimeDialog> dialog;
        if (kind == ScheduleKind::EveryDay)
            dialog = std::make_unique<EveryDayDialog>(m_schedule, runTime, box, window());
        else if (kind == ScheduleKind::EveryWeek)
            dialog = std::make_unique<EveryWeekDialog>(m_schedule, runTime, box, window());
        else if (kind == ScheduleKind::EveryMonth)
            dialog = std::make_unique<EveryMonthDialog>(m_schedule, runTime, box, window());
        else
            dialog = std::make_unique<SpecialDateDialog>(
                m_schedule, runTime, session().context().options().dateFormat, box, window());
        accepted = dialog->exec() == QDialog::Accepted;
        if (accepted) {
            m_schedule = dialog->result();
            m_runTimeSet = true;
            m_dateSet = m_dateSet || kind == ScheduleKind::SpecialDate;
        }
        break;
    }
    case ScheduleKind::Manual:
        break;
    }
    // Settings given for a kind choose that kind.
    if (accepted) {
        m_kinds->button(static_cast<int>(kind))->setChecked(true);
        m_changed = true;
    }
    showDescription();
}

Schedule SchedulePage::current() const
{
    Schedule schedule = m_schedule;
    const int kind = chosenKind();
    if (kind < 0)
        return schedule;
    schedule.kind = static_cast<ScheduleKind>(kind);
    if (schedule.kind != ScheduleKind::EveryWeek)
        schedule.weekDays.fill(0);
    if (schedule.kind != ScheduleKind::EveryMonth)
        schedule.monthDays.fill(0);
    if (schedule.kind != ScheduleKind::SpecialDate) {
        schedule.specialYear = schedule.specialMonth = schedule.specialDay = 0;
        schedule.repeatDays = 0;
    }
    if (schedule.kind != ScheduleKind::TimeInterval)
        schedule.intervalMinutes = 0;
    if (schedule.kind == ScheduleKind::Manual || schedule.kind == ScheduleKind::TimeInterval)
        schedule.hour = schedule.minute = 0;
    return schedule;
}

void SchedulePage::showDescription()
{
    const int kind = chosenKind();
    const bool complete = kind == 0 || kind == 5 || (m_runTimeSet && (kind != 4 || m_dateSet));
    if (kind < 0 || !complete) {
        m_description->clear();
        return;
    }
    const Options& options = session().context().options();
    const ScheduleDescription description = DescribeSchedule(current(), options.dateFormat, options.timeFormat);
    m_description->setText(QString::fromStdString(description.title + "\n" + description.settings));
}

bool SchedulePage::validate()
{
    if (!validateKind())
        return false;
    const QString problem = m_onFailure->problem();
    return problem.isEmpty() || refuse(m_onFailure->input(), problem);
}

bool SchedulePage::validateKind()
{
    const int kind = chosenKind();
    QAbstractButton* radio = m_kinds->button(kind);
    switch (kind) {
    case static_cast<int>(ScheduleKind::Manual):
        return true;
    case static_cast<int>(ScheduleKind::TimeInterval):
        if (m_schedule.intervalMinutes < kMinIntervalMinutes || m_schedule.intervalMinutes > kMaxIntervalMinutes)
            return refuse(radio, wizard::tr(wizard::kSetTimeInterval));
        return true;
    case static_cast<int>(ScheduleKind::EveryDay):
        return m_runTimeSet ? true : refuse(radio, wizard::tr(wizard::kSetEveryDay));
    case static_cast<int>(ScheduleKind::EveryWeek):
        return m_runTimeSet && Any(m_schedule.weekDays) ? true : refuse(radio, wizard::tr(wizard::kSetEveryWeek));
    case static_cast<int>(ScheduleKind::EveryMonth):
        return m_runTimeSet && Any(m_schedule.monthDays) ? true : refuse(radio, wizard::tr(wizard::kSetEveryMonth));
    case static_cast<int>(ScheduleKind::SpecialDate):
        return m_runTimeSet && m_dateSet ? true : refuse(radio, wizard::tr(wizard::kSetSpecialDate));
    default:
        return refuse(m_radios[0], wizard::tr(wizard::kChooseSchedule));
    }
}

void SchedulePage::save(Task& task)
{
    // The wizard stores every schedule zeroed where its kind does not look; the property sheet
    // keeps a task's schedule byte for byte until the user changes it.
    task.schedule = m_changed || wizard() ? current() : m_loaded;
    m_onFailure->save(task.extras);
}

} // namespace kelvanto
