#include "ui/wizard/RunTimeDialog.h"

#include "schedule/ScheduleValidation.h"
#include "ui/Messages.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace kelvanto
{

namespace
{

QListWidget* TwoDigitList(int count, const char* name, QWidget* parent)
{
    auto* list = new QListWidget(parent);
    list->setObjectName(name);
    for (int i = 0; i < count; ++i)
        list->addItem(QString::number(i).rightJustified(2, QLatin1Char('0')));
    list->setFixedWidth(list->fontMetrics().horizontalAdvance(QStringLiteral("0000")) + 40);
    list->setMaximumHeight(140);
    return list;
}

} // namespace

RunTimeDialog::RunTimeDialog(
    const QString& caption, const Schedule& schedule, bool runTimeSet, Messages& messages, QWidget* parent)
    : QDialog(parent)
    , m_loaded(schedule)
    , m_schedule(schedule)
    , m_messages(messages)
    , m_hours(TwoDigitList(24, "hours", this))
    , m_minutes(TwoDigitList(60, "minutes", this))
    , m_extra(new QVBoxLayout)
{
    setWindowTitle(caption);
    if (runTimeSet) {
        m_hours->setCurrentRow(schedule.hour);
        m_minutes->setCurrentRow(schedule.minute);
    } else {
        m_hours->setCurrentRow(-1);
        m_minutes->setCurrentRow(-1);
    }
    auto* timeBox = new QGroupBox(tr("Run Time"), this);
    auto* time = new QGridLayout(timeBox);
    time->addWidget(new QLabel(tr("Hour"), this), 0, 0);
    time->addWidget(new QLabel(tr("Minute"), this), 0, 1);
    time->addWidget(m_hours, 1, 0);
    time->addWidget(m_minutes, 1, 1);
    time->setColumnStretch(2, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName("ok");
    buttons->button(QDialogButtonBox::Cancel)->setObjectName("cancel");
    connect(buttons, &QDialogButtonBox::accepted, this, &RunTimeDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(timeBox);
    layout->addLayout(m_extra);
    layout->addWidget(buttons);
}

void RunTimeDialog::accept()
{
    const int hour = m_hours->currentItem() && m_hours->currentItem()->isSelected() ? m_hours->currentRow() : -1;
    const int minute
        = m_minutes->currentItem() && m_minutes->currentItem()->isSelected() ? m_minutes->currentRow() : -1;
    std::string fault = CheckRunTime(hour, minute);
    QWidget* field = hour < 0 ? m_hours : m_minutes;
    if (fault.empty()) {
        fault = extraCheck();
        field = extraFaultField();
    }
    if (!fault.empty()) {
        m_messages.warning(this, QString::fromStdString(fault));
        if (field)
            field->setFocus(Qt::OtherFocusReason);
        return;
    }
    m_schedule.hour = hour;
    m_schedule.minute = minute;
    saveExtra(m_schedule);
    QDialog::accept();
}

} // namespace kelvanto
