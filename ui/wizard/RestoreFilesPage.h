#pragma once

#include "ui/wizard/TaskPage.h"

#include <vector>

class QCheckBox;
class QTreeWidget;

namespace kelvanto
{

class RestoreThreadsField;

// The SQL files that a restore task replays, in order: "SN", "File Name", "Full Path",
// "File Size" and "Date & Time", with add (".sql" files only, each path once), Remove, Remove
// All, Move Up and Move Down, and whether a SQL or a file error stops the restore. Next asks
// whether the user knows that DROP and DELETE statements remove data.
class RestoreFilesPage : public TaskPage
{
    Q_OBJECT

public:
    explicit RestoreFilesPage(TaskPageSession& session, QWidget* parent = nullptr);

    QString title() const override;
    void load(const Task& task) override;
    bool validate() override;
    void save(Task& task) override;

    // The files as given to the engine: tests read the list back through it.
    const std::vector<RestoreFile>& files() const { return m_files; }

private:
    void showFiles(const std::vector<int>& selectedRows);
    std::vector<int> selectedRows() const;
    void add();
    void remove();
    void removeAll();
    void moveRows(int step);

    RestoreOptions m_loadedOptions;
    std::vector<RestoreFile> m_files;
    QTreeWidget* m_list;
    QCheckBox* m_continueOnSqlError;
    QCheckBox* m_continueOnFileError;
    RestoreThreadsField* m_threads;
};

} // namespace kelvanto
