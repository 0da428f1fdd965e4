#pragma once

#include "model/Task.h"

#include <QWidget>

class QCheckBox;
class QPushButton;

namespace kelvanto
{

class HelpOpener;
class TaskExtrasBox;

// What the databases-and-tables pages ask besides the choice: Structure, Records, the
// newly-created tables (and, on the databases page, databases) switches, and "Advanced
// Settings..." for the dump switches. Loads and saves the backup settings' flags.
class BackupOptionsBox : public QWidget
{
    Q_OBJECT

public:
    enum class Scope {
        AllDatabases, // the databases-and-tables tree
        OneDatabase, // the tables of the source database
    };

    BackupOptionsBox(Scope scope, HelpOpener& help, QWidget* parent = nullptr);

    void load(const BackupSettings& settings);
    void save(BackupSettings& settings) const;
    // The backup settings' flags and the task's extras (changed in "Advanced Settings...",
    // shown on the box itself when it is read-only).
    void load(const Task& task);
    void save(Task& task) const;
    bool structureOrRecords() const;
    bool newTables() const;
    bool newDatabases() const;
    QCheckBox* structureBox() const { return m_structure; }
    void setReadOnly(bool readOnly);
    // The stored profiles that a backup-to-files task may be verified on by a restore.
    void setVerificationProfiles(std::vector<std::string> names) { m_verificationProfiles = std::move(names); }

private:
    void openAdvancedSettings();

    HelpOpener& m_help;
    BackupSettings m_settings;
    QCheckBox* m_structure;
    QCheckBox* m_records;
    QCheckBox* m_newTables;
    QCheckBox* m_newDatabases;
    QPushButton* m_advanced;
    TaskExtras m_extras;
    TaskExtrasBox* m_extrasView;
    std::vector<std::string> m_verificationProfiles;
    bool m_verifies = false; // the loaded task backs up to files
};

} // namespace kelvanto
