#include "ui/wizard/BackupFilesViewPage.h"

#include "ui/wizard/ReadOnlyTexts.h"
#include "ui/wizard/ViewWidgets.h"

#include <QFormLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace kelvanto
{

BackupFilesViewPage::BackupFilesViewPage(TaskPageSession& session, QWidget* parent)
    : TaskPage(session, parent)
    , m_layout(new QVBoxLayout(this))
{ }

QString BackupFilesViewPage::title() const
{
    return tr("Backup Files");
}

void BackupFilesViewPage::load(const Task& task)
{
    const BackupSettings& settings = task.backupSettings;
    auto* form = new QFormLayout;
    form->addRow(tr("File type"), readOnlyLine(this, "fileKind", wizard::backupFileKindText(settings)));
    form->addRow(tr("Backup files"), readOnlyLine(this, "fileMode", wizard::backupFileModeText(settings)));
    m_layout->addLayout(form);
    m_layout->addWidget(readOnlyBox(this, "details", wizard::backupFileDetailsText(settings)), 1);
}

} // namespace kelvanto
