#include "ui/wizard/CPageViewSQLScriptDlg.h"

#include "ui/wizard/ReadOnlyTexts.h"
#include "ui/wizard/ViewWidgets.h"

#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace kelvanto
{

CPageViewSQLScriptDlg::CPageViewSQLScriptDlg(TaskPageSession& session, QWidget* parent)
    : TaskPage(session, parent)
    , m_script(ReadOnlyBox(this, "script", {}))
{
    m_script->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_script->setLineWrapMode(QPlainTextEdit::NoWrap);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_script);
}

QString CPageViewSQLScriptDlg::title() const
{
    return tr("SQL Script");
}

void CPageViewSQLScriptDlg::load(const Task& task)
{
    m_script->setPlainText(Shown(wizard::ScriptText(task.sqlStatements)));
}

} // namespace kelvanto
