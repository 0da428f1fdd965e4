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

// Before the dump starts, and how the dump is written. The texts are the dialog's own, given
// through its tr().
constexpr SwitchText kServerSwitches[] = {
    {&BackupSettings::lockTables, "lockTables",
        QT_TRANSLATE_NOOP("kelvanto::AdvancedSettingsDialog", "Lock tables before starting")},
    {&BackupSettings::flushTables, "flushTables",
        QT_TRANSLATE_NOOP("kelvanto::AdvancedSettingsDialog", "Flush tables before starting")},
    {&BackupSettings::flushLogs, "flushLogs",
        QT_TRANSLATE_NOOP("kelvanto::AdvancedSettingsDialog", "Flush MySQL log files before starting")},
    {&BackupSettings::quoteNames, "quoteNames",
        QT_TRANSLATE_NOOP("kelvanto::AdvancedSettingsDialog", "Quote names within '`' characters")},
    {&BackupSettings::setConnectionCharset, "setConnectionCharset",
        QT_TRANSLATE_NOOP("kelvanto::AdvancedSettingsDialog", "Set connection character set")},
};

constexpr SwitchText kStatementSwitches[] = {
    {&BackupSettings::addCreateDatabase, "addCreateDatabase",
        QT_TRANSLATE_NOOP("kelvanto::AdvancedSettingsDialog", "Add CREATE DATABASE statement")},
    {&BackupSettings::addLockTables, "addLockTables",
        QT_TRANSLATE_NOOP("kelvanto::AdvancedSettingsDialog", "Add LOCK TABLES statement")},
    {&BackupSettings::addDropTable, "addDropTable",
        QT_TRANSLATE_NOOP("kelvanto::AdvancedSettingsDialog", "Add DROP TABLE statement")},
    {&BackupSettings::addDeleteAll, "addDeleteAll",
        QT_TRANSLATE_NOOP("kelvanto::AdvancedSettingsDialog", "Add DELETE all records statement")},
    {&BackupSettings::addSetNames, "addSetNames",
        QT_TRANSLATE_NOOP("kelvanto::AdvancedSettingsDialog", "Add SET NAMES default_character_set")},
    {&BackupSettings::completeInsert, "completeInsert",
        QT_TRANSLATE_NOOP("kelvanto::AdvancedSettingsDialog", "Use complete INSERT statements")},
    {&BackupSettings::insertDelayed, "insertDelayed",
        QT_TRANSLATE_NOOP("kelvanto::AdvancedSettingsDialog", "Use INSERT DELAYED statements")},
    {&BackupSettings::multiRowInsert, "multiRowInsert",
        QT_TRANSLATE_NOOP("kelvanto::AdvancedSettingsDialog", "Use multiple-row INSERT syntax")},
    {&BackupSettings::useReplace, "useReplace",
        QT_TRANSLATE_NOOP("kelvanto::AdvancedSettingsDialog", "Use REPLACE instead of INSERT statements")},
    {&BackupSettings::insertIgnore, "insertIgnore",
        QT_TRANSLATE_NOOP("kelvanto::AdvancedSettingsDialog", "Use INSERT IGNORE statements")},
    {&BackupSettings::addAutocommit, "addAutocommit",
        QT_TRANSLATE_NOOP("kelvanto::AdvancedSettingsDialog", "Add SET AUTOCOMMIT (InnoDB)")},
    {&BackupSettings::addForeignKeyChecks, "addForeignKeyChecks",
        QT_TRANSLATE_NOOP("kelvanto::AdvancedSettingsDialog", "Add SET FOREIGN_KEY_CHECKS (InnoDB)")},
    {&BackupSettings::addUniqueChecks, "addUniqueChecks",
        QT_TRANSLATE_NOOP("kelvanto::AdvancedSettingsDialog", "Add SET UNIQUE_CHECKS (InnoDB)")},
    {&BackupSettings::addSqlNotes, "addSqlNotes",
        QT_TRANSLATE_NOOP("kelvanto::AdvancedSettingsDialog", "Add SET SQL_NOTES")},
    {&BackupSettings::allowKeywordColumns, "allowKeywordColumns",
        QT_TRANSLATE_NOOP("kelvanto::AdvancedSettingsDialog", "Allow creation of column names that are keywords")},
    {&BackupSettings::disableKeys, "disableKeys",
        QT_TRANSLATE_NOOP("kelvanto::AdvancedSettingsDialog",
            "Surround the INSERT statements with ALTER TABLE table_name DISABLE KEYS")},
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
            auto* box = new QCheckBox(tr(item.text), group);
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
    connect(buttons, &QDialogButtonBox::helpRequested, this,
        [&help] { help.openTopic(QLatin1String(wizard::kBackupSettingsTopic)); });
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
    if (auto* multiRow = findChild<QCheckBox*>(QStringLiteral("multiRowInsert"))) {
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
