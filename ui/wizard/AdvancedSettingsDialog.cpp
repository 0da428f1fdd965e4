#include "ui/wizard/AdvancedSettingsDialog.h"

#include "ui/HelpOpener.h"
#include "ui/wizard/TaskExtrasBox.h"
#include "ui/wizard/WizardTexts.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace kelvanto
{

namespace
{

struct SwitchText
{
    std::uint8_t BackupSettings::*flag;
    const char* name;
    const char* text;
};

// Before the dump starts, and how the dump is written.
constexpr SwitchText kServerSwitches[] = {
    {&BackupSettings::lockTables, "lockTables", "Lock tables before starting"},
    {&BackupSettings::flushTables, "flushTables", "Flush tables before starting"},
    {&BackupSettings::flushLogs, "flushLogs", "Flush MySQL log files before starting"},
    {&BackupSettings::quoteNames, "quoteNames", "Quote names within '`' characters"},
    {&BackupSettings::setConnectionCharset, "setConnectionCharset", "Set connection character set"},
};

constexpr SwitchText kStatementSwitches[] = {
    {&BackupSettings::addCreateDatabase, "addCreateDatabase", "Add CREATE DATABASE statement"},
    {&BackupSettings::addLockTables, "addLockTables", "Add LOCK TABLES statement"},
    {&BackupSettings::addDropTable, "addDropTable", "Add DROP TABLE statement"},
    {&BackupSettings::addDeleteAll, "addDeleteAll", "Add DELETE all records statement"},
    {&BackupSettings::addSetNames, "addSetNames", "Add SET NAMES default_character_set"},
    {&BackupSettings::completeInsert, "completeInsert", "Use complete INSERT statements"},
    {&BackupSettings::insertDelayed, "insertDelayed", "Use INSERT DELAYED statements"},
    {&BackupSettings::multiRowInsert, "multiRowInsert", "Use multiple-row INSERT syntax"},
    {&BackupSettings::useReplace, "useReplace", "Use REPLACE instead of INSERT statements"},
    {&BackupSettings::insertIgnore, "insertIgnore", "Use INSERT IGNORE statements"},
    {&BackupSettings::addAutocommit, "addAutocommit", "Add SET AUTOCOMMIT (InnoDB)"},
    {&BackupSettings::addForeignKeyChecks, "addForeignKeyChecks", "Add SET FOREIGN_KEY_CHECKS (InnoDB)"},
    {&BackupSettings::addUniqueChecks, "addUniqueChecks", "Add SET UNIQUE_CHECKS (InnoDB)"},
    {&BackupSettings::addSqlNotes, "addSqlNotes", "Add SET SQL_NOTES"},
    {&BackupSettings::allowKeywordColumns, "allowKeywordColumns", "Allow creation of column names that are keywords"},
    {&BackupSettings::disableKeys, "disableKeys",
        "Surround the INSERT statements with ALTER TABLE table_name DISABLE KEYS"},
};

} // namespace

AdvancedSettingsDialog::AdvancedSettingsDialog(const BackupSettings& settings, HelpOpener& help, QWidget* parent)
    : QDialog(parent)
    , m_settings(settings)
{
    setWindowTitle(tr("Advanced Settings"));
    setObjectName("advancedSettingsDialog");
    auto* layout = new QVBoxLayout(this);

    auto addGroup = [&](const QString& title, const auto& switches, int columns) {
        auto* group = new QGroupBox(title, this);
        auto* grid = new QGridLayout(group);
        int index = 0;
        for (const SwitchText& item : switches) {
            auto* box = new QCheckBox(QString::fromUtf8(item.text), group);
            box->setObjectName(item.name);
            box->setChecked(settings.*item.flag != 0);
            grid->addWidget(box, index / columns, index % columns);
            m_switches.push_back({item.flag, box});
            ++index;
        }
        layout->addWidget(group);
    };
    addGroup(tr("Server"), kServerSwitches, 2);
    addGroup(tr("Statements"), kStatementSwitches, 2);

    auto* buttons
        = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Help, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName("ok");
    buttons->button(QDialogButtonBox::Cancel)->setObjectName("cancel");
    buttons->button(QDialogButtonBox::Help)->setObjectName("help");
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(buttons, &QDialogButtonBox::helpRequested, this, [&help] { help.openTopic(wizard::kBackupSettingsTopic); });
    layout->addWidget(buttons);
}

void AdvancedSettingsDialog::showExtras(const TaskExtras& extras, const std::vector<std::string>* verificationProfiles)
{
    m_extras = extras;
    m_extrasBox = new TaskExtrasBox(this);
    if (verificationProfiles)
        m_extrasBox->showVerification(*verificationProfiles);
    m_extrasBox->load(extras);
    // The statement size follows the multiple-row switch as it is set in this dialog.
    if (auto* multiRow = findChild<QCheckBox*>("multiRowInsert")) {
        m_extrasBox->setInsertSizeEnabled(multiRow->isChecked());
        connect(multiRow, &QCheckBox::toggled, m_extrasBox, &TaskExtrasBox::setInsertSizeEnabled);
    }
    auto* box = static_cast<QVBoxLayout*>(layout());
    box->insertWidget(box->count() - 1, m_extrasBox);
}

TaskExtras AdvancedSettingsDialog::extras() const
{
    TaskExtras extras = m_extras;
    if (m_extrasBox)
        m_extrasBox->save(extras);
    return extras;
}

BackupSettings AdvancedSettingsDialog::settings() const
{
    BackupSettings settings = m_settings;
    for (const Switch& item : m_switches) {
        // A switch left as shown keeps its stored byte.
        if (item.box->isChecked() != (m_settings.*item.flag != 0))
            settings.*item.flag = item.box->isChecked() ? 1 : 0;
    }
    return settings;
}

} // namespace kelvanto
