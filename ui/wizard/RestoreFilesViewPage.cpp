#include "ui/wizard/RestoreFilesViewPage.h"

#include "ui/TaskDialogContext.h"
#include "ui/wizard/RestoreFilesList.h"
#include "ui/wizard/RestoreThreadsField.h"

#include <QCheckBox>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace kelvanto
{

RestoreFilesViewPage::RestoreFilesViewPage(TaskPageSession& session, QWidget* parent)
    : TaskPage(session, parent)
    , m_list(makeRestoreFilesList(this))
    , m_continueOnSqlError(new QCheckBox(tr("Continue even if a SQL error occurs during restoring"), this))
    , m_continueOnFileError(new QCheckBox(tr("Continue even if a FILE error occurs during restoring"), this))
    , m_threads(new RestoreThreadsField(this))
{
    m_continueOnSqlError->setObjectName("continueOnSqlError");
    m_continueOnFileError->setObjectName("continueOnFileError");
    m_continueOnSqlError->setEnabled(false);
    m_continueOnFileError->setEnabled(false);
    m_threads->setReadOnly(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list, 1);
    layout->addWidget(m_continueOnSqlError);
    layout->addWidget(m_continueOnFileError);
    layout->addWidget(m_threads);
}

QString RestoreFilesViewPage::title() const
{
    return tr("Restore Files");
}

void RestoreFilesViewPage::load(const Task& task)
{
    const Options& options = session().context().options();
    fillRestoreFilesList(m_list, task.restoreFiles, options.dateFormat, options.timeFormat);
    m_continueOnSqlError->setChecked(task.restoreOptions.continueOnSqlError != 0);
    m_continueOnFileError->setChecked(task.restoreOptions.continueOnFileError != 0);
    m_threads->load(task.extras);
}

} // namespace kelvanto
