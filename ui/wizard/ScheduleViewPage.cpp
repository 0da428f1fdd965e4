#include "ui/wizard/ScheduleViewPage.h"

#include "schedule/ScheduleDescription.h"
#include "ui/TaskDialogContext.h"
#include "ui/wizard/CommandLine.h"
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
    , m_onFailure(readOnlyLine(this, "onFailure", {}))
{
    m_onFailure->setPlaceholderText(tr("No command"));
    auto* form = new QFormLayout(this);
    form->addRow(tr("Task schedule"), m_title);
    form->addRow(tr("Settings"), m_settings);
    form->addRow(tr("After a run that did not succeed, run"), m_onFailure);
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
    m_settings->setPlainText(shownText(description.settings));
    m_onFailure->setText(QString::fromStdString(wizard::joinCommandLine(task.extras.onFailure)));
    m_onFailure->setCursorPosition(0);
}

} // namespace kelvanto
