#include "ui/BackupLogOptionsPage.h"

#include "model/OptionsRules.h"
#include "ui/FileDialogs.h"
#include "ui/Messages.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QVBoxLayout>

namespace kelvanto
{

namespace
{

QString withTrailingSlash(QString folder)
{
    if (!folder.isEmpty() && !folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder;
}

} // namespace

BackupLogOptionsPage::BackupLogOptionsPage(
    std::filesystem::path dataFolder, Messages& messages, FileDialogs& fileDialogs, QWidget* parent)
    : QWidget(parent)
    , m_dataFolder(std::move(dataFolder))
    , m_messages(messages)
    , m_fileDialogs(fileDialogs)
    , m_folder(new QLineEdit(this))
    , m_unlimited(new QRadioButton(tr("Unlimited size of each task log file"), this))
    , m_limited(new QRadioButton(tr("Maximum size of each task log file"), this))
    , m_size(new QLineEdit(this))
    , m_sizeSpin(new QSpinBox(this))
    , m_note(new QLabel(
          tr("The old task logs will be deleted if the size of a task log file more than the maximum size."), this))
{
    setObjectName("backupLogPage");
    m_folder->setObjectName("backupFolder");
    m_unlimited->setObjectName("logUnlimited");
    m_limited->setObjectName("logLimited");
    m_size->setObjectName("logMaxSize");
    m_sizeSpin->setObjectName("logMaxSizeSpin");
    m_note->setObjectName("logNote");
    m_note->setWordWrap(true);

    m_size->setMaxLength(6);
    m_size->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,6}")), m_size));
    m_sizeSpin->setRange(10, 100000);
    m_sizeSpin->setFixedWidth(m_sizeSpin->sizeHint().height());
    connect(m_sizeSpin, &QSpinBox::valueChanged, this, [this](int value) { m_size->setText(QString::number(value)); });
    connect(m_size, &QLineEdit::textEdited, this, [this](const QString& text) {
        const QSignalBlocker block(m_sizeSpin);
        m_sizeSpin->setValue(text.toInt());
    });
    connect(m_limited, &QRadioButton::toggled, this, &BackupLogOptionsPage::limitToggled);

    auto* browse = new QPushButton(tr("Browse..."), this);
    browse->setObjectName("browse");
    connect(browse, &QPushButton::clicked, this, &BackupLogOptionsPage::browse);
    auto* backup = new QGroupBox(tr("Backup"), this);
    auto* backupLayout = new QVBoxLayout(backup);
    backupLayout->addWidget(new QLabel(tr("The default folder where you want to store the backup files"), backup));
    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(m_folder, 1);
    folderRow->addWidget(browse);
    backupLayout->addLayout(folderRow);

    auto* log = new QGroupBox(tr("Task Log"), this);
    auto* logLayout = new QVBoxLayout(log);
    logLayout->addWidget(m_unlimited);
    auto* sizeRow = new QHBoxLayout;
    sizeRow->setSpacing(0);
    sizeRow->addWidget(m_limited);
    sizeRow->addSpacing(8);
    sizeRow->addWidget(m_size);
    sizeRow->addWidget(m_sizeSpin);
    sizeRow->addSpacing(4);
    sizeRow->addWidget(new QLabel(tr("KB"), log));
    sizeRow->addStretch();
    logLayout->addLayout(sizeRow);
    logLayout->addWidget(m_note);

    auto* reset = new QPushButton(tr("&Reset to default"), this);
    reset->setObjectName("resetBackupLog");
    connect(reset, &QPushButton::clicked, this, &BackupLogOptionsPage::reset);
    auto* resetRow = new QHBoxLayout;
    resetRow->addStretch();
    resetRow->addWidget(reset);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(backup);
    layout->addWidget(log);
    layout->addStretch();
    layout->addLayout(resetRow);
}

void BackupLogOptionsPage::load(const Options& options)
{
    m_folder->setText(QString::fromStdString(options.defaultBackupFolder));
    const bool limited = options.logSizeLimited != 0;
    (limited ? m_limited : m_unlimited)->setChecked(true);
    limitToggled(limited);
    if (limited) {
        m_size->setText(QString::number(options.logMaxSizeKB));
        const QSignalBlocker block(m_sizeSpin);
        m_sizeSpin->setValue(options.logMaxSizeKB);
    }
}

bool BackupLogOptionsPage::validate()
{
    if (!m_limited->isChecked())
        return true;
    bool ok = false;
    const qlonglong size = m_size->text().toLongLong(&ok);
    const std::string fault = CheckLogMaxSize(ok ? size : 0);
    if (fault.empty())
        return true;
    m_messages.warning(this, QString::fromStdString(fault));
    m_size->setFocus();
    m_size->selectAll();
    return false;
}

void BackupLogOptionsPage::save(Options& options) const
{
    options.defaultBackupFolder = withTrailingSlash(m_folder->text().trimmed()).toStdString();
    if (m_limited->isChecked()) {
        options.logSizeLimited = 1;
        options.logMaxSizeKB = m_size->text().toInt();
    } else {
        options.logSizeLimited = 0;
        options.logMaxSizeKB = 0;
    }
}

void BackupLogOptionsPage::reset()
{
    Options options;
    ResetBackupAndLogOptions(options, m_dataFolder);
    load(options);
}

void BackupLogOptionsPage::browse()
{
    const QString folder = m_fileDialogs.chooseFolder(this, tr(kBrowseTitle), m_folder->text());
    if (!folder.isEmpty())
        m_folder->setText(withTrailingSlash(folder));
}

void BackupLogOptionsPage::limitToggled(bool limited)
{
    if (!limited)
        m_size->clear();
    m_size->setEnabled(limited);
    m_sizeSpin->setEnabled(limited);
    m_note->setEnabled(limited);
}

} // namespace kelvanto
