#include "ui/wizard/BackupFilesPage.h"

#include "app/DataFolder.h"
#include "ui/FileDialogs.h"
#include "ui/TaskDialogContext.h"
#include "ui/wizard/BackupFilesSettingsDialog.h"
#include "ui/wizard/WizardChecks.h"
#include "ui/wizard/WizardTexts.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace kelvanto
{

BackupFilesPage::BackupFilesPage(TaskPageSession& session, QWidget* parent)
    : TaskPage(session, parent)
    , m_sql(new QRadioButton(tr("SQL File"), this))
    , m_php(new QRadioButton(tr("PHP File"), this))
    , m_newFiles(new QRadioButton(tr("Backup data to the new file(s) every time"), this))
    , m_folder(new QLineEdit(this))
    , m_browseFolder(new QPushButton(tr("Browse..."), this))
    , m_settingsButton(new QPushButton(tr("Settings..."), this))
    , m_sameFile(new QRadioButton(tr("Always backup data to the same file"), this))
    , m_file(new QLineEdit(this))
    , m_browseFile(new QPushButton(tr("Browse..."), this))
    , m_unixLineEnds(new QCheckBox(tr("Use the '\\n' instead of '\\r\\n' in the backup files"), this))
    , m_compression(new QComboBox(this))
{
    m_sql->setObjectName("sqlFile");
    m_php->setObjectName("phpFile");
    m_newFiles->setObjectName("newFiles");
    m_folder->setObjectName("backupFolder");
    m_browseFolder->setObjectName("browseFolder");
    m_settingsButton->setObjectName("fileSettings");
    m_sameFile->setObjectName("sameFile");
    m_file->setObjectName("backupFile");
    m_browseFile->setObjectName("browseFile");
    m_unixLineEnds->setObjectName("unixLineEnds");
    m_compression->setObjectName("compression");
    m_compression->addItems({tr("None"), tr("zstd (.zst)"), tr("gzip (.gz)")});

    auto* typeGroup = new QButtonGroup(this);
    typeGroup->addButton(m_sql);
    typeGroup->addButton(m_php);
    auto* modeGroup = new QButtonGroup(this);
    modeGroup->addButton(m_newFiles);
    modeGroup->addButton(m_sameFile);
    connect(modeGroup, &QButtonGroup::buttonToggled, this, &BackupFilesPage::modeChanged);
    connect(typeGroup, &QButtonGroup::buttonToggled, this, &BackupFilesPage::modeChanged);
    connect(m_browseFolder, &QPushButton::clicked, this, &BackupFilesPage::browseFolder);
    connect(m_browseFile, &QPushButton::clicked, this, &BackupFilesPage::browseFile);
    connect(m_settingsButton, &QPushButton::clicked, this, &BackupFilesPage::openSettings);

    auto* typeBox = new QGroupBox(tr("File type"), this);
    auto* typeLayout = new QHBoxLayout(typeBox);
    typeLayout->addWidget(m_sql);
    typeLayout->addWidget(m_php);
    typeLayout->addStretch(1);
    auto* modeBox = new QGroupBox(tr("Backup files"), this);
    auto* modeLayout = new QGridLayout(modeBox);
    modeLayout->addWidget(m_newFiles, 0, 0, 1, 3);
    modeLayout->addWidget(m_folder, 1, 0);
    modeLayout->addWidget(m_browseFolder, 1, 1);
    modeLayout->addWidget(m_settingsButton, 1, 2);
    modeLayout->addWidget(m_sameFile, 2, 0, 1, 3);
    modeLayout->addWidget(m_file, 3, 0);
    modeLayout->addWidget(m_browseFile, 3, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(typeBox);
    layout->addWidget(modeBox);
    layout->addWidget(m_unixLineEnds);
    auto* compressionLayout = new QHBoxLayout;
    auto* compressionLabel = new QLabel(tr("&Compress the SQL files:"), this);
    compressionLabel->setBuddy(m_compression);
    compressionLayout->addWidget(compressionLabel);
    compressionLayout->addWidget(m_compression);
    compressionLayout->addStretch(1);
    layout->addLayout(compressionLayout);
    layout->addStretch(1);
}

QString BackupFilesPage::title() const
{
    return tr("Backup Files");
}

void BackupFilesPage::load(const Task& task)
{
    m_settings = task.backupSettings;
    m_databases = task.databases;
    m_newDatabases = task.backupSettings.allNewDatabases;
    (m_settings.fileType == 2 ? m_php : m_sql)->setChecked(true);
    (m_settings.fileMode == 1 ? m_sameFile : m_newFiles)->setChecked(true);
    std::string folder = m_settings.backupFolder;
    if (folder.empty() && wizard()) {
        const std::string& preferred = session().context().options().defaultBackupFolder;
        folder = preferred.empty() ? session().context().folder().DefaultBackupFolder() : preferred;
    }
    m_folder->setText(QString::fromStdString(folder));
    m_file->setText(QString::fromStdString(m_settings.singleFilePath));
    m_unixLineEnds->setChecked(m_settings.unixLineEnds != 0);
    m_compression->setCurrentIndex(static_cast<int>(task.extras.compression));
    modeChanged();
}

void BackupFilesPage::enter(const Task& task)
{
    m_databases = task.databases;
    m_newDatabases = task.backupSettings.allNewDatabases;
}

bool BackupFilesPage::sameFile() const
{
    return m_sameFile->isChecked();
}

void BackupFilesPage::modeChanged()
{
    m_folder->setEnabled(!sameFile());
    m_browseFolder->setEnabled(!sameFile());
    m_settingsButton->setEnabled(!sameFile());
    m_file->setEnabled(sameFile());
    m_browseFile->setEnabled(sameFile());
    // The line-end switch and compression are for SQL files only.
    m_unixLineEnds->setEnabled(m_sql->isChecked());
    m_compression->setEnabled(m_sql->isChecked());
}

void BackupFilesPage::browseFolder()
{
    const QString folder
        = session().files().chooseFolder(window(), wizard::tr(wizard::kBackupFolderPrompt), m_folder->text());
    if (!folder.isEmpty())
        m_folder->setText(QString::fromStdString(wizard::withTrailingSlash(folder.toStdString())));
}

void BackupFilesPage::browseFile()
{
    const bool php = m_php->isChecked();
    const char* filter = php ? wizard::kPhpFilesFilter : wizard::kSqlFilesFilter;
    const QString suffix = php ? QStringLiteral("php") : QStringLiteral("sql");
    const QString file = session().files().saveFile(window(), wizard::tr(filter), suffix);
    if (!file.isEmpty())
        m_file->setText(file);
}

void BackupFilesPage::openSettings()
{
    BackupFilesSettingsDialog dialog(m_settings, messages(), session().context().help(), window());
    if (dialog.exec() == QDialog::Accepted)
        m_settings = dialog.settings();
}

bool BackupFilesPage::validate()
{
    if (sameFile()) {
        const std::string file = m_file->text().toStdString();
        if (file.empty())
            return refuse(m_file, wizard::tr(wizard::kInputFilePath));
        if (!wizard::isUsableFilePath(file))
            return refuse(m_file, wizard::kInvalidFile);
    } else {
        const std::string folder = m_folder->text().toStdString();
        if (folder.empty())
            return refuse(m_folder, wizard::tr(wizard::kChooseFolder));
        if (!wizard::isUsableFolder(folder))
            return refuse(m_folder, wizard::invalidFolderText(wizard::kInvalidFolder, folder));
        // The databases as their page shows them now (the property sheet's other tab).
        Task chosen;
        chosen.databases = m_databases;
        chosen.backupSettings.allNewDatabases = m_newDatabases;
        session().readDatabases(chosen);
        BackupSettings settings = m_settings;
        settings.fileMode = 2;
        settings.allNewDatabases = chosen.backupSettings.allNewDatabases;
        if (const std::string fault = wizard::CheckFormatNamesEveryDatabase(settings, chosen.databases); !fault.empty())
            return refuse(m_settingsButton, fault);
    }
    return true;
}

void BackupFilesPage::save(Task& task)
{
    BackupSettings& settings = task.backupSettings;
    settings.fileSplit = m_settings.fileSplit;
    settings.fileNameFormat = m_settings.fileNameFormat;
    settings.autoDelete = m_settings.autoDelete;
    settings.autoDeleteLimit = m_settings.autoDeleteLimit;
    settings.newFolderPerRun = m_settings.newFolderPerRun;
    // Choices left as loaded keep their stored bytes.
    if (m_php->isChecked() != (m_settings.fileType == 2))
        settings.fileType = m_php->isChecked() ? 2 : 1;
    else
        settings.fileType = m_settings.fileType;
    if (sameFile() != (m_settings.fileMode == 1))
        settings.fileMode = sameFile() ? 1 : 2;
    else
        settings.fileMode = m_settings.fileMode;
    // The line-end switch is for SQL files: a task turned to PHP files writes them with CR LF.
    if (m_php->isChecked() && m_settings.fileType != 2)
        settings.unixLineEnds = 0;
    else if (m_unixLineEnds->isChecked() != (m_settings.unixLineEnds != 0))
        settings.unixLineEnds = m_unixLineEnds->isChecked() ? 1 : 0;
    else
        settings.unixLineEnds = m_settings.unixLineEnds;
    // PHP runs its script as it is: never compressed.
    const int compression = m_sql->isChecked() ? m_compression->currentIndex() : 0;
    task.extras.compression = compression > 0 ? static_cast<Compression>(compression) : Compression::None;
    if (sameFile()) {
        settings.singleFilePath = m_file->text().toStdString();
        settings.backupFolder.clear();
    } else {
        settings.backupFolder = wizard::withTrailingSlash(m_folder->text().toStdString());
        settings.singleFilePath.clear();
    }
}

} // namespace kelvanto
