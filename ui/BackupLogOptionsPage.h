#pragma once

#include "model/Options.h"

#include <QWidget>

#include <filesystem>

class QLabel;
class QLineEdit;
class QRadioButton;
class QSpinBox;

namespace kelvanto
{

class FileDialogs;
class Messages;

// The options sheet's "Backup and Log" page: the default backup folder and the task log size.
class BackupLogOptionsPage : public QWidget
{
    Q_OBJECT

public:
    static constexpr const char* kBrowseTitle = QT_TR_NOOP("Select a folder where you want to store the backup files:");

    BackupLogOptionsPage(
        std::filesystem::path dataFolder, Messages& messages, FileDialogs& fileDialogs, QWidget* parent = nullptr);

    void load(const Options& options);
    // With "Maximum size of each task log file" the size must be 1-100000; else the warning.
    bool validate();
    void save(Options& options) const;
    // "&Reset to default": the data folder's "Data/" and unlimited logs.
    void reset();

private:
    void browse();
    void limitToggled(bool limited);

    std::filesystem::path m_dataFolder;
    Messages& m_messages;
    FileDialogs& m_fileDialogs;
    QLineEdit* m_folder;
    QRadioButton* m_unlimited;
    QRadioButton* m_limited;
    QLineEdit* m_size;
    QSpinBox* m_sizeSpin;
    QLabel* m_note;
};

} // namespace kelvanto
