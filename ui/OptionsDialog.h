#pragma once

#include "model/Options.h"

#include <QDialog>

#include <filesystem>

class QTabWidget;

namespace kelvanto
{

class BackupLogOptionsPage;
class GeneralOptionsPage;
class FileDialogs;
class HelpOpener;
class Messages;

// The "Options" sheet with the pages "General" and "Backup and Log", OK, Cancel and Help. It
// works on a copy of the options: edited() is the copy after OK; Cancel discards it. A page
// whose entries are wrong keeps the focus when it is left and keeps the sheet open on OK.
class OptionsDialog : public QDialog
{
    Q_OBJECT

public:
    static constexpr const char* kHelpTopic = "::/introduction/options.html";

    OptionsDialog(const Options& options, const std::filesystem::path& dataFolder, Messages& messages, HelpOpener& help,
        FileDialogs& fileDialogs, QWidget* parent = nullptr);

    const Options& edited() const { return m_options; }
    void accept() override;

private:
    bool validatePage(int index);

    Options m_options;
    QTabWidget* m_tabs;
    GeneralOptionsPage* m_general;
    BackupLogOptionsPage* m_backupLog;
    int m_currentPage = 0;
};

} // namespace kelvanto
