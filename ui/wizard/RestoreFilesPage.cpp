#include "ui/wizard/RestoreFilesPage.h"

#include "engines/io/Compression.h"
#include "engines/restore/RestoreFileEntry.h"
#include "ui/FileDialogs.h"
#include "ui/Messages.h"
#include "ui/TaskDialogContext.h"
#include "ui/wizard/RestoreFilesList.h"
#include "ui/wizard/RestoreThreadsField.h"
#include "ui/wizard/WizardTexts.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <filesystem>

namespace kelvanto
{

RestoreFilesPage::RestoreFilesPage(TaskPageSession& session, QWidget* parent)
    : TaskPage(session, parent)
    , m_list(makeRestoreFilesList(this))
    , m_continueOnSqlError(new QCheckBox(tr("Continue even if a SQL error occurs during restoring"), this))
    , m_continueOnFileError(new QCheckBox(tr("Continue even if a FILE error occurs during restoring"), this))
    , m_threads(new RestoreThreadsField(this))
{
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_continueOnSqlError->setObjectName("continueOnSqlError");
    m_continueOnFileError->setObjectName("continueOnFileError");

    auto* buttons = new QVBoxLayout;
    const std::pair<const char*, QString> kButtons[] = {{"add", tr("&Add...")}, {"remove", tr("&Remove")},
        {"removeAll", tr("Remove A&ll")}, {"moveUp", tr("Move &Up")}, {"moveDown", tr("Move &Down")}};
    for (const auto& [name, text] : kButtons) {
        auto* button = new QPushButton(text, this);
        button->setObjectName(name);
        buttons->addWidget(button);
        const std::string which = name;
        connect(button, &QPushButton::clicked, this, [this, which] {
            if (which == "add")
                add();
            else if (which == "remove")
                remove();
            else if (which == "removeAll")
                removeAll();
            else
                moveRows(which == "moveUp" ? -1 : 1);
        });
    }
    buttons->addStretch(1);
    auto* top = new QGridLayout;
    top->addWidget(m_list, 0, 0);
    top->addLayout(buttons, 0, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addWidget(m_continueOnSqlError);
    layout->addWidget(m_continueOnFileError);
    layout->addWidget(m_threads);
}

QString RestoreFilesPage::title() const
{
    return tr("Restore Files");
}

void RestoreFilesPage::load(const Task& task)
{
    m_files = task.restoreFiles;
    m_loadedOptions = task.restoreOptions;
    m_continueOnSqlError->setChecked(task.restoreOptions.continueOnSqlError != 0);
    m_continueOnFileError->setChecked(task.restoreOptions.continueOnFileError != 0);
    m_threads->load(task.extras);
    showFiles({});
}

void RestoreFilesPage::showFiles(const std::vector<int>& selectedRows)
{
    const Options& options = session().context().options();
    fillRestoreFilesList(m_list, m_files, options.dateFormat, options.timeFormat);
    for (int row : selectedRows) {
        if (QTreeWidgetItem* item = m_list->topLevelItem(row)) {
            item->setSelected(true);
            m_list->setCurrentItem(item, 0, QItemSelectionModel::Select);
        }
    }
}

std::vector<int> RestoreFilesPage::selectedRows() const
{
    std::vector<int> rows;
    for (int row = 0; row < m_list->topLevelItemCount(); ++row) {
        if (m_list->topLevelItem(row)->isSelected())
            rows.push_back(row);
    }
    return rows;
}

void RestoreFilesPage::add()
{
    const QStringList paths = session().files().openFiles(window(), wizard::tr(wizard::kRestoreFilesFilter));
    std::vector<int> select;
    for (const QString& chosen : paths) {
        const std::string path = chosen.toStdString();
        // Only names ending in ".sql", ".sql.zst" or ".sql.gz" exactly: "DUMP.SQL" is passed
        // over without a word. The restore reads a compressed file by its first bytes.
        if (!IsRestorableSqlName(path))
            continue;
        const std::string full = std::filesystem::absolute(path).lexically_normal().string();
        const auto known
            = std::find_if(m_files.begin(), m_files.end(), [&](const RestoreFile& file) { return file.path == full; });
        if (known != m_files.end()) {
            select.push_back(static_cast<int>(known - m_files.begin()));
            continue;
        }
        auto entry = RestoreFileEntry(full);
        if (!entry) {
            messages().warning(window(), QString::fromStdString(entry.error()));
            continue;
        }
        m_files.push_back(std::move(*entry));
        select.push_back(static_cast<int>(m_files.size()) - 1);
    }
    showFiles(select);
}

void RestoreFilesPage::remove()
{
    const std::vector<int> rows = selectedRows();
    if (rows.empty()) {
        refuse(m_list, wizard::tr(wizard::kChooseFileItem));
        return;
    }
    if (!ask(wizard::kRemoveFilesQuestion))
        return;
    for (auto row = rows.rbegin(); row != rows.rend(); ++row)
        m_files.erase(m_files.begin() + *row);
    showFiles({});
}

void RestoreFilesPage::removeAll()
{
    if (m_files.empty() || !ask(wizard::kRemoveAllFilesQuestion))
        return;
    m_files.clear();
    showFiles({});
}

void RestoreFilesPage::moveRows(int step)
{
    std::vector<int> rows = selectedRows();
    if (rows.empty()) {
        refuse(m_list, wizard::tr(wizard::kChooseFileItem));
        return;
    }
    const int count = static_cast<int>(m_files.size());
    // Moving up visits the rows from the top, moving down from the bottom; a row stops at the
    // end of the list or at a selected neighbour that could not move.
    if (step > 0)
        std::reverse(rows.begin(), rows.end());
    std::vector<int> moved;
    for (int row : rows) {
        const int target = row + step;
        const bool blocked
            = target < 0 || target >= count || std::find(moved.begin(), moved.end(), target) != moved.end();
        if (blocked) {
            moved.push_back(row);
            continue;
        }
        std::swap(m_files[static_cast<std::size_t>(row)], m_files[static_cast<std::size_t>(target)]);
        moved.push_back(target);
    }
    showFiles(moved);
}

bool RestoreFilesPage::validate()
{
    if (m_files.empty())
        return refuse(m_list, wizard::tr(wizard::kAddFiles));
    if (!ask(wizard::kDropDeleteQuestion)) {
        m_list->setFocus(Qt::OtherFocusReason);
        return false;
    }
    return true;
}

void RestoreFilesPage::save(Task& task)
{
    task.restoreFiles = m_files;
    auto keep = [](std::uint8_t loaded, const QCheckBox* box) -> std::uint8_t {
        return box->isChecked() == (loaded != 0) ? loaded : static_cast<std::uint8_t>(box->isChecked());
    };
    task.restoreOptions.continueOnSqlError = keep(m_loadedOptions.continueOnSqlError, m_continueOnSqlError);
    task.restoreOptions.continueOnFileError = keep(m_loadedOptions.continueOnFileError, m_continueOnFileError);
    m_threads->save(task.extras);
}

} // namespace kelvanto
