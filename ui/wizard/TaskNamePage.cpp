#include "ui/wizard/TaskNamePage.h"

#include "app/TaskChecks.h"

#include "model/TaskTexts.h"
#include "ui/TaskDialogContext.h"
#include "ui/UiTexts.h"

#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace kelvanto
{

TaskNamePage::TaskNamePage(TaskPageSession& session, QWidget* parent)
    : TaskPage(session, parent)
    , m_name(new QLineEdit(this))
    , m_comment(new QPlainTextEdit(this))
{
    m_name->setObjectName("taskName");
    m_comment->setObjectName("comment");
    m_comment->setTabChangesFocus(true);
    m_name->setReadOnly(readOnly());
    m_comment->setReadOnly(readOnly());
    auto* layout = new QFormLayout(this);
    layout->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    layout->addRow(tr("Task name"), m_name);
    layout->addRow(tr("Comment"), m_comment);
}

QString TaskNamePage::title() const
{
    return tr("Task Name and Comment");
}

void TaskNamePage::load(const Task& task)
{
    std::string name = task.name;
    if (name.empty() && wizard())
        name = DefaultTaskName(static_cast<int>(session().context().taskCount()) + 1);
    m_name->setText(QString::fromStdString(name));
    m_comment->setPlainText(QString::fromStdString(task.comment));
    m_loadedName = name;
    m_loadedComment = task.comment;
    m_shownName = m_name->text();
    m_shownComment = m_comment->toPlainText();
}

std::string TaskNamePage::name() const
{
    // Text the user left as shown keeps its stored bytes (a line edit drops line ends, the
    // comment box turns "\r\n" into "\n").
    return m_name->text() == m_shownName ? m_loadedName : m_name->text().toStdString();
}

bool TaskNamePage::validate()
{
    const std::string name = this->name();
    if (const std::string fault = CheckTaskName(name); !fault.empty())
        return refuse(m_name, fault);
    if (name != session().originalName() && session().context().taskNameExists(name))
        return refuse(m_name, texts::tr(texts::kNameTaken));
    return true;
}

void TaskNamePage::save(Task& task)
{
    task.name = name();
    task.comment
        = m_comment->toPlainText() == m_shownComment ? m_loadedComment : m_comment->toPlainText().toStdString();
}

} // namespace kelvanto
