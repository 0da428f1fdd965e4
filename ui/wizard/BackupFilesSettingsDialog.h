#pragma once

#include "model/Task.h"

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QRadioButton;

namespace kelvanto
{

class HelpOpener;
class Messages;
class SpinField;

// "Backup Files Settings" of the backup file page: how the files of a run are split, their
// name format, a new folder per run, and the expiry of old copies (by age or by number, at
// most one). OK checks the format for the split mode and the counts; settings() gives the
// settings back with the dialog's values.
class BackupFilesSettingsDialog : public QDialog
{
    Q_OBJECT

public:
    BackupFilesSettingsDialog(
        const BackupSettings& settings, Messages& messages, HelpOpener& help, QWidget* parent = nullptr);

    BackupSettings settings() const { return m_settings; }
    void accept() override;

private:
    int split() const;
    void splitChosen(int split);
    void expiryChanged();
    void resetToDefault();
    bool refuse(QWidget* field, const std::string& text);

    BackupSettings m_settings;
    Messages& m_messages;
    QRadioButton* m_splits[3];
    QLineEdit* m_format;
    QCheckBox* m_newFolder;
    QCheckBox* m_byDays;
    SpinField* m_days;
    QCheckBox* m_byCopies;
    SpinField* m_copies;
};

} // namespace kelvanto
