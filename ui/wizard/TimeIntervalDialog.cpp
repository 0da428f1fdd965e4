#include "ui/wizard/TimeIntervalDialog.h"

#include "schedule/ScheduleValidation.h"
#include "ui/Messages.h"
#include "ui/wizard/SpinField.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace kelvanto
{

TimeIntervalDialog::TimeIntervalDialog(int minutes, Messages& messages, QWidget* parent)
    : QDialog(parent)
    , m_messages(messages)
    , m_minutes(new SpinField(kMinIntervalMinutes, kMaxIntervalMinutes, 5, this))
    , m_result(minutes)
{
    setWindowTitle(tr("Time Interval Settings"));
    setObjectName("timeIntervalDialog");
    m_minutes->setNames("intervalMinutes");
    if (minutes > 0)
        m_minutes->setNumber(minutes);
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(tr("Run the task every"), this));
    row->addWidget(m_minutes);
    row->addWidget(new QLabel(tr("minute(s)"), this));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName("ok");
    buttons->button(QDialogButtonBox::Cancel)->setObjectName("cancel");
    connect(buttons, &QDialogButtonBox::accepted, this, &TimeIntervalDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(buttons);
}

void TimeIntervalDialog::accept()
{
    const int minutes = ParseNumberField(m_minutes->text().toStdString());
    if (const std::string fault = CheckIntervalMinutes(minutes); !fault.empty()) {
        m_messages.warning(this, QString::fromStdString(fault));
        m_minutes->setFocus(Qt::OtherFocusReason);
        return;
    }
    m_result = minutes;
    QDialog::accept();
}

} // namespace kelvanto
