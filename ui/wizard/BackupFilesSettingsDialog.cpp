#include "ui/wizard/BackupFilesSettingsDialog.h"

#include "model/TaskTexts.h"
#include "model/Text.h"
#include "schedule/ScheduleValidation.h"
#include "ui/HelpOpener.h"
#include "ui/Messages.h"
#include "ui/wizard/SpinField.h"
#include "ui/wizard/WizardChecks.h"
#include "ui/wizard/WizardTexts.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
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

BackupFilesSettingsDialog::BackupFilesSettingsDialog(
    const BackupSettings& settings, Messages& messages, HelpOpener& help, QWidget* parent)
    : QDialog(parent)
    , m_settings(settings)
    , m_messages(messages)
    , m_splits {new QRadioButton(tr("One file contains all selected databases and tables"), this),
          new QRadioButton(tr("Each file contains a selected database"), this),
          new QRadioButton(tr("Each file contains a selected table"), this)}
    , m_format(new QLineEdit(this))
    , m_newFolder(new QCheckBox(
          tr("Create a new folder and named it after DATE_TIME every time for storing the backup files"), this))
    , m_byDays(new QCheckBox(tr("Auto delete the backup files if they are more than"), this))
    , m_days(new SpinField(1, wizard::kMaxKeepLimit, 5, this))
    , m_byCopies(new QCheckBox(tr("Auto delete the oldest backup files when more than"), this))
    , m_copies(new SpinField(1, wizard::kMaxKeepLimit, 5, this))
{
    setWindowTitle(tr("Backup Files Settings"));
    setObjectName("backupFilesSettingsDialog");
    const char* splitNames[] = {"oneFile", "filePerDatabase", "filePerTable"};
    auto* splitGroup = new QButtonGroup(this);
    auto* splitBox = new QGroupBox(tr("Backup files"), this);
    auto* splitLayout = new QVBoxLayout(splitBox);
    for (int i = 0; i < 3; ++i) {
        m_splits[i]->setObjectName(splitNames[i]);
        splitGroup->addButton(m_splits[i], i + 1);
        splitLayout->addWidget(m_splits[i]);
    }
    m_format->setObjectName("fileNameFormat");
    m_newFolder->setObjectName("newFolderPerRun");
    m_byDays->setObjectName("autoDeleteByDays");
    m_days->setNames("keepDays");
    m_byCopies->setObjectName("autoDeleteByCopies");
    m_copies->setNames("keepCopies");

    // Loading: an empty format gets the one the split mode proposes.
    const int split = settings.fileSplit >= 1 && settings.fileSplit <= 3 ? settings.fileSplit : 1;
    m_splits[split - 1]->setChecked(true);
    m_format->setText(QString::fromStdString(
        settings.fileNameFormat.empty() ? DefaultFileNameFormat(settings.fileSplit) : settings.fileNameFormat));
    m_newFolder->setChecked(settings.newFolderPerRun != 0);
    m_byDays->setChecked(settings.autoDelete == 1);
    m_byCopies->setChecked(settings.autoDelete == 2);
    if (settings.autoDelete == 1)
        m_days->setNumber(settings.autoDeleteLimit);
    if (settings.autoDelete == 2)
        m_copies->setNumber(settings.autoDeleteLimit);
    connect(splitGroup, &QButtonGroup::idClicked, this, &BackupFilesSettingsDialog::splitChosen);
    // At most one kind of expiry.
    connect(m_byDays, &QCheckBox::clicked, this, [this](bool on) {
        if (on)
            m_byCopies->setChecked(false);
        expiryChanged();
    });
    connect(m_byCopies, &QCheckBox::clicked, this, [this](bool on) {
        if (on)
            m_byDays->setChecked(false);
        expiryChanged();
    });
    expiryChanged();

    auto* formatRow = new QHBoxLayout;
    formatRow->addWidget(new QLabel(tr("File name format"), this));
    formatRow->addWidget(m_format, 1);
    auto* expiry = new QGridLayout;
    expiry->addWidget(m_byDays, 0, 0);
    expiry->addWidget(m_days, 0, 1);
    expiry->addWidget(new QLabel(tr("days old"), this), 0, 2);
    expiry->addWidget(m_byCopies, 1, 0);
    expiry->addWidget(m_copies, 1, 1);
    expiry->addWidget(new QLabel(tr("backup copies"), this), 1, 2);
    expiry->setColumnStretch(3, 1);

    auto* buttons
        = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Help, this);
    auto* reset = buttons->addButton(tr("&Reset to default"), QDialogButtonBox::ResetRole);
    reset->setObjectName("resetToDefault");
    buttons->button(QDialogButtonBox::Ok)->setObjectName("ok");
    buttons->button(QDialogButtonBox::Cancel)->setObjectName("cancel");
    buttons->button(QDialogButtonBox::Help)->setObjectName("help");
    connect(reset, &QPushButton::clicked, this, &BackupFilesSettingsDialog::resetToDefault);
    connect(buttons, &QDialogButtonBox::accepted, this, &BackupFilesSettingsDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(buttons, &QDialogButtonBox::helpRequested, this,
        [&help] { help.openTopic(QLatin1String(wizard::kBackupFileSettingsTopic)); });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(splitBox);
    layout->addLayout(formatRow);
    layout->addWidget(new QLabel(tr("Placeholders: %TASKNAME% %HOST% %DATABASE% %TABLE% %DATE% %TIME%"), this));
    layout->addWidget(m_newFolder);
    layout->addLayout(expiry);
    layout->addWidget(buttons);
}

int BackupFilesSettingsDialog::split() const
{
    for (int i = 0; i < 3; ++i) {
        if (m_splits[i]->isChecked())
            return i + 1;
    }
    return 1;
}

void BackupFilesSettingsDialog::splitChosen(int split)
{
    // Each split mode offers its own format, the one its placeholders need.
    m_format->setText(QString::fromStdString(DefaultFileNameFormat(static_cast<std::uint8_t>(split))));
}

void BackupFilesSettingsDialog::expiryChanged()
{
    m_days->setEnabled(m_byDays->isChecked());
    m_copies->setEnabled(m_byCopies->isChecked());
}

void BackupFilesSettingsDialog::resetToDefault()
{
    const BackupSettings defaults;
    m_splits[defaults.fileSplit - 1]->setChecked(true);
    m_format->setText(QString::fromStdString(defaults.fileNameFormat));
    m_newFolder->setChecked(false);
    m_byDays->setChecked(false);
    m_byCopies->setChecked(false);
    m_days->setText(QString());
    m_copies->setText(QString());
    expiryChanged();
}

bool BackupFilesSettingsDialog::refuse(QWidget* field, const std::string& text)
{
    m_messages.warning(this, QString::fromStdString(text));
    field->setFocus(Qt::OtherFocusReason);
    if (auto* edit = qobject_cast<QLineEdit*>(field))
        edit->selectAll();
    return false;
}

void BackupFilesSettingsDialog::accept()
{
    const std::string format(TrimBlanks(m_format->text().toStdString()));
    const int split = this->split();
    if (const std::string fault = wizard::CheckFileNameFormat(format, split); !fault.empty()) {
        refuse(m_format, fault);
        return;
    }
    if (m_byDays->isChecked()) {
        if (const std::string fault = wizard::CheckKeepDays(m_days->text().toStdString()); !fault.empty()) {
            refuse(m_days->edit(), fault);
            return;
        }
    }
    if (m_byCopies->isChecked()) {
        if (const std::string fault = wizard::CheckKeepCopies(m_copies->text().toStdString()); !fault.empty()) {
            refuse(m_copies->edit(), fault);
            return;
        }
    }
    m_settings.fileSplit = static_cast<std::uint8_t>(split);
    m_settings.fileNameFormat = format;
    m_settings.newFolderPerRun = m_newFolder->isChecked() ? 1 : 0;
    m_settings.autoDelete = m_byDays->isChecked() ? 1 : m_byCopies->isChecked() ? 2 : 0;
    const SpinField* count = m_byDays->isChecked() ? m_days : m_copies;
    m_settings.autoDeleteLimit = m_settings.autoDelete == 0 ? 0 : ParseNumberField(count->text().toStdString());
    QDialog::accept();
}

} // namespace kelvanto
