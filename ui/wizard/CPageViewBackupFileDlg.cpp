#include "ui/wizard/CPageViewBackupFileDlg.h"

#include "ui/wizard/ReadOnlyTexts.h"
#include "ui/wizard/ViewWidgets.h"

#include <QFormLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace kelvanto
{

CPageViewBackupFileDlg::CPageViewBackupFileDlg(TaskPageSession& session, QWidget* parent)
    : TaskPage(session, parent)
    , m_layout(new QVBoxLayout(this))
{ }

QString CPageViewBackupFileDlg::title() const
{
    return tr("Backup Files");
}

void CPageViewBackupFileDlg::load(const Task& task)
{
    const BackupSettings& settings = task.backupSettings;
    auto* form = new QFormLayout;
    form->addRow(tr("File type"), ReadOnlyLine(this, "fileKind", wizard::BackupFileKindText(settings)));
    form->addRow(tr("Backup files"), ReadOnlyLine(this, "fileMode", wizard::BackupFileModeText(settings)));
    m_layout->addLayout(form);
    m_layout->addWidget(ReadOnlyBox(this, "details", wizard::BackupFileDetailsText(settings)), 1);
}

} // namespace kelvanto
