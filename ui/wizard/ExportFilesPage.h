#pragma once

#include "ui/wizard/TaskPage.h"

#include <array>
#include <string>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

namespace kelvanto
{

// The export files: the file type (CSV, XML, HTML, TEXT), the directory that receives one file
// per table, and for CSV and TEXT the separators as typed escapes (\t, \r\n...), turned into
// the characters they denote when the page is left.
class ExportFilesPage : public TaskPage
{
    Q_OBJECT

public:
    explicit ExportFilesPage(TaskPageSession& session, QWidget* parent = nullptr);

    QString title() const override;
    void load(const Task& task) override;
    bool validate() override;
    void save(Task& task) override;

private:
    void typeChosen(int index);
    void showSample();
    void enableFields();
    void browse();

    ExportSettings m_loaded;
    // The field texts as load() showed them: unchanged text keeps the stored characters.
    std::array<QString, 4> m_shown;
    QComboBox* m_type;
    QLineEdit* m_directory;
    QLabel* m_sample;
    std::array<QLineEdit*, 4> m_fields;
    QCheckBox* m_columnNames;
    QCheckBox* m_snapshot;
};

} // namespace kelvanto
