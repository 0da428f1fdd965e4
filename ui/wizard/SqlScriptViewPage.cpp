#include "ui/wizard/SqlScriptViewPage.h"

#include "ui/wizard/ReadOnlyTexts.h"
#include "ui/wizard/ViewWidgets.h"

#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace kelvanto
{

SqlScriptViewPage::SqlScriptViewPage(TaskPageSession& session, QWidget* parent)
    : TaskPage(session, parent)
    , m_script(readOnlyBox(this, "script", {}))
{
    m_script->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_script->setLineWrapMode(QPlainTextEdit::NoWrap);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_script);
}

QString SqlScriptViewPage::title() const
{
    return tr("SQL Script");
}

void SqlScriptViewPage::load(const Task& task)
{
    m_script->setPlainText(shownText(wizard::scriptText(task.sqlStatements)));
}

} // namespace kelvanto
