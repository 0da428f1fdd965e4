#pragma once

#include "ui/wizard/TaskPage.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace kelvanto
{

// Where a backup-to-files task writes: SQL or PHP files, new files in a folder every run (with
// the backup files settings dialog for their split, names and expiry) or always the same
// file, and Unix line ends. The folder must exist or be creatable; it is stored with a '/'
// at its end. The field of the mode not chosen is cleared. SQL files may be compressed
// (zstd or gzip); a PHP file never is, so the choice is off and saved as none for PHP. A file
// per table whose names lack %DATABASE% is refused when more than one database can be backed up.
class BackupFilesPage : public TaskPage
{
    Q_OBJECT

public:
    explicit BackupFilesPage(TaskPageSession& session, QWidget* parent = nullptr);

    QString title() const override;
    void load(const Task& task) override;
    void enter(const Task& task) override;
    bool validate() override;
    void save(Task& task) override;

private:
    void modeChanged();
    void browseFolder();
    void browseFile();
    void openSettings();
    bool sameFile() const;

    BackupSettings m_settings;
    // The databases chosen as loaded or as the pages before saved them, and whether every new
    // database joins: a file per table needs %DATABASE% in its names when more than one can.
    std::vector<DatabaseItem> m_databases;
    std::uint8_t m_newDatabases = 0;
    QRadioButton* m_sql;
    QRadioButton* m_php;
    QRadioButton* m_newFiles;
    QLineEdit* m_folder;
    QPushButton* m_browseFolder;
    QPushButton* m_settingsButton;
    QRadioButton* m_sameFile;
    QLineEdit* m_file;
    QPushButton* m_browseFile;
    QCheckBox* m_unixLineEnds;
    QComboBox* m_compression; // in the order of Compression: none, zstd, gzip
};

} // namespace kelvanto
