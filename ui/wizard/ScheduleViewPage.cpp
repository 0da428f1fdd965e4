#include "ui/wizard/ScheduleViewPage.h"

#include "schedule/ScheduleDescription.h"
#include "ui/TaskDialogContext.h"
#include "ui/wizard/ViewWidgets.h"

#include <QFormLayout>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace kelvanto
{

ScheduleViewPage::ScheduleViewPage(TaskPageSession& session, QWidget* parent)
    : TaskPage(session, parent)
    , m_title(readOnlyLine(this, "scheduleTitle", {}))
    , m_settings(readOnlyBox(this, "scheduleSettings", {}))
{
    auto* form = new QFormLayout(this);
    form->addRow(tr("Task schedule"), m_title);
    form->addRow(tr("Settings"), m_settings);
}

QString ScheduleViewPage::title() const
{
    return tr("Task Schedule");
}

void ScheduleViewPage::load(const Task& task)
{
    const Options& options = session().context().options();
    const ScheduleDescription description = DescribeSchedule(task.schedule, options.dateFormat, options.timeFormat);
    m_title->setText(QString::fromStdString(description.title));
    m_settings->setPlainText(Shown(description.settings));
}

} // namespace kelvanto
