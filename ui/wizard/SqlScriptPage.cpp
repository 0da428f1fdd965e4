#include "ui/wizard/SqlScriptPage.h"

#include "engines/sql/SqlSplitter.h"
#include "model/FileBytes.h"
#include "ui/FileDialogs.h"
#include "ui/Messages.h"
#include "ui/wizard/WizardTexts.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace kelvanto
{

SqlScriptPage::SqlScriptPage(TaskPageSession& session, QWidget* parent)
    : TaskPage(session, parent)
    , m_script(new QPlainTextEdit(this))
{
    m_script->setObjectName("script");
    m_script->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_script->setLineWrapMode(QPlainTextEdit::NoWrap);
    auto* add = new QPushButton(tr("Add the script from a SQL file"), this);
    add->setObjectName("addFromFile");
    connect(add, &QPushButton::clicked, this, &SqlScriptPage::addFromFile);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(add);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_script, 1);
    layout->addLayout(buttons);
}

QString SqlScriptPage::title() const
{
    return tr("SQL Script");
}

void SqlScriptPage::load(const Task& task)
{
    m_loaded = task.sqlStatements;
    m_script->setPlainText(QString::fromStdString(JoinScript(m_loaded)));
    m_shown = m_script->toPlainText();
}

void SqlScriptPage::addFromFile()
{
    const QString file = session().files().openFile(window(), wizard::tr(wizard::kSqlFilesFilter));
    if (file.isEmpty())
        return;
    auto bytes = ReadFileBytes(file.toStdString());
    if (!bytes) {
        messages().error(window(), wizard::tr(wizard::kFailedToOpenFile));
        return;
    }
    m_script->setPlainText(QString::fromStdString(*bytes));
}

Result<std::vector<std::string>> SqlScriptPage::statements() const
{
    if (m_script->toPlainText() == m_shown && !m_loaded.empty())
        return m_loaded;
    return SplitScript(m_script->toPlainText().toStdString());
}

bool SqlScriptPage::validate()
{
    const Result<std::vector<std::string>> split = statements();
    if (!split)
        return refuse(m_script, split.error());
    if (split->empty())
        return refuse(m_script, wizard::tr(wizard::kInputScript));
    return true;
}

void SqlScriptPage::save(Task& task)
{
    Result<std::vector<std::string>> split = statements();
    if (split)
        task.sqlStatements = std::move(*split);
}

} // namespace kelvanto
