#include "ui/wizard/CTaskTypePage.h"

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

CTaskTypePage::CTaskTypePage(TaskPageSession& session, QWidget* parent)
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

QString CTaskTypePage::title() const
{
    return tr("Task Name and Comment");
}

void CTaskTypePage::load(const Task& task)
{
    std::string name = task.name;
    if (name.empty() && wizard())
        name = DefaultTaskName(static_cast<int>(session().context().TaskCount()) + 1);
    m_name->setText(QString::fromStdString(name));
    m_comment->setPlainText(QString::fromStdString(task.comment));
    m_loadedName = name;
    m_loadedComment = task.comment;
    m_shownName = m_name->text();
    m_shownComment = m_comment->toPlainText();
}

std::string CTaskTypePage::Name() const
{
    // Text the user left as shown keeps its stored bytes (a line edit drops line ends, the
    // comment box turns "\r\n" into "\n").
    return m_name->text() == m_shownName ? m_loadedName : m_name->text().toStdString();
}

bool CTaskTypePage::validate()
{
    const std::string name = Name();
    if (const std::string fault = CheckTaskName(name); !fault.empty())
        return Refuse(m_name, fault);
    if (name != session().originalName() && session().context().TaskNameExists(name))
        return Refuse(m_name, texts::kNameTaken);
    return true;
}

void CTaskTypePage::save(Task& task)
{
    task.name = Name();
    task.comment
        = m_comment->toPlainText() == m_shownComment ? m_loadedComment : m_comment->toPlainText().toStdString();
}

} // namespace kelvanto
