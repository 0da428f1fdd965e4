#pragma once

#include "model/Task.h"

#include <QDialog>

#include <vector>

class QCheckBox;

namespace kelvanto
{

class HelpOpener;
class TaskExtrasBox;

// "Advanced Settings": the dump switches of a task's backup settings (locking and flushing,
// quoting, the character set, and which statements the dump or copy writes). Works on a copy;
// settings() gives it back after OK.
class AdvancedSettingsDialog : public QDialog
{
    Q_OBJECT

public:
    AdvancedSettingsDialog(const BackupSettings& settings, HelpOpener& help, QWidget* parent = nullptr);

    BackupSettings settings() const;
    // Shows the task extras below the switches; extras() gives them back after OK. With
    // `verificationProfiles`, the verification server is offered among these profiles.
    void showExtras(const TaskExtras& extras, const std::vector<std::string>* verificationProfiles = nullptr);
    TaskExtras extras() const;

private:
    struct Switch
    {
        std::uint8_t BackupSettings::*flag;
        QCheckBox* box;
    };

    BackupSettings m_settings;
    std::vector<Switch> m_switches;
    TaskExtras m_extras;
    TaskExtrasBox* m_extrasBox = nullptr;
};

} // namespace kelvanto
