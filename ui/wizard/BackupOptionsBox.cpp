#include "ui/wizard/BackupOptionsBox.h"

#include "model/BackupFlags.h"
#include "ui/wizard/AdvancedSettingsDialog.h"
#include "ui/wizard/TaskExtrasBox.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QPushButton>

namespace kelvanto
{

namespace
{

void Keep(std::uint8_t& flag, const QCheckBox* box)
{
    // A switch left as shown keeps its stored byte.
    if (box->isChecked() != (flag != 0))
        flag = box->isChecked() ? 1 : 0;
}

} // namespace

BackupOptionsBox::BackupOptionsBox(Scope scope, HelpOpener& help, QWidget* parent)
    : QWidget(parent)
    , m_help(help)
    , m_structure(new QCheckBox(tr("Structure"), this))
    , m_records(new QCheckBox(tr("Records"), this))
    , m_newTables(
          new QCheckBox(scope == Scope::AllDatabases ? tr("Backup all newly-created tables of all chosen databases")
                                                     : tr("Backup all newly-created tables of the source database"),
              this))
    , m_newDatabases(new QCheckBox(tr("Backup all newly-created databases on the MySQL server"), this))
    , m_advanced(new QPushButton(tr("Advanced Settings..."), this))
    , m_extrasView(new TaskExtrasBox(this))
{
    m_structure->setObjectName("exportStructure");
    m_records->setObjectName("exportRecords");
    m_newTables->setObjectName("allNewTables");
    m_newDatabases->setObjectName("allNewDatabases");
    m_advanced->setObjectName("advancedSettings");
    m_newDatabases->setVisible(scope == Scope::AllDatabases);
    connect(m_advanced, &QPushButton::clicked, this, &BackupOptionsBox::openAdvancedSettings);

    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_structure, 0, 0);
    layout->addWidget(m_records, 0, 1);
    layout->addWidget(m_advanced, 0, 2, Qt::AlignRight);
    layout->addWidget(m_newTables, 1, 0, 1, 3);
    layout->addWidget(m_newDatabases, 2, 0, 1, 3);
    layout->addWidget(m_extrasView, 3, 0, 1, 3);
    m_extrasView->setReadOnly(true);
    m_extrasView->setVisible(false);
}

void BackupOptionsBox::load(const Task& task)
{
    load(task.backupSettings);
    m_extras = task.extras;
    m_verifies = task.type == TaskType::BackupToFiles;
    if (m_verifies)
        m_extrasView->showVerification(m_verificationProfiles);
    m_extrasView->load(task.extras);
}

void BackupOptionsBox::save(Task& task) const
{
    save(task.backupSettings);
    // Only the extras of the advanced settings: the failure command and the others belong to
    // other pages, which may have saved before this one.
    TaskExtrasBox::copyShown(m_extras, task.extras);
}

void BackupOptionsBox::load(const BackupSettings& settings)
{
    m_settings = settings;
    m_structure->setChecked(settings.exportStructure != 0);
    m_records->setChecked(settings.exportRecords != 0);
    m_newTables->setChecked(settings.allNewTables != 0);
    m_newDatabases->setChecked(settings.allNewDatabases != 0);
}

void BackupOptionsBox::save(BackupSettings& settings) const
{
    // The dump switches as the advanced dialog left them; the file settings stay the page's.
    BackupSettings result = m_settings;
    Keep(result.exportStructure, m_structure);
    Keep(result.exportRecords, m_records);
    Keep(result.allNewTables, m_newTables);
    Keep(result.allNewDatabases, m_newDatabases);
    // Every dump flag; fileType and fileMode, the last two, belong to the backup file page.
    for (std::size_t i = 0; i + 2 < kBackupFlags.size(); ++i)
        settings.*kBackupFlags[i] = result.*kBackupFlags[i];
}

bool BackupOptionsBox::structureOrRecords() const
{
    return m_structure->isChecked() || m_records->isChecked();
}

bool BackupOptionsBox::newTables() const
{
    return m_newTables->isChecked();
}

bool BackupOptionsBox::newDatabases() const
{
    return m_newDatabases->isChecked();
}

void BackupOptionsBox::setReadOnly(bool readOnly)
{
    for (QCheckBox* box : {m_structure, m_records, m_newTables, m_newDatabases})
        box->setEnabled(!readOnly);
    m_advanced->setVisible(!readOnly);
    m_extrasView->setVisible(readOnly);
}

void BackupOptionsBox::openAdvancedSettings()
{
    AdvancedSettingsDialog dialog(m_settings, m_help, window());
    dialog.showExtras(m_extras, m_verifies ? &m_verificationProfiles : nullptr);
    if (dialog.exec() == QDialog::Accepted) {
        m_settings = dialog.settings();
        m_extras = dialog.extras();
        m_extrasView->load(m_extras);
    }
}

} // namespace kelvanto
