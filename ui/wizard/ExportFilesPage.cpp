#include "ui/wizard/ExportFilesPage.h"

#include "engines/export/TypedEscapes.h"
#include "ui/FileDialogs.h"
#include "ui/wizard/WizardChecks.h"
#include "ui/wizard/WizardTexts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace kelvanto
{

namespace
{

// The four separators in ExportSettings order.
std::array<std::string*, 4> Fields(ExportSettings& settings)
{
    return {&settings.fieldsTerminatedBy, &settings.fieldsEnclosedBy, &settings.fieldsEscapedBy,
        &settings.linesTerminatedBy};
}

constexpr int kCsv = 0;
constexpr int kText = 3;

} // namespace

ExportFilesPage::ExportFilesPage(TaskPageSession& session, QWidget* parent)
    : TaskPage(session, parent)
    , m_type(new QComboBox(this))
    , m_directory(new QLineEdit(this))
    , m_sample(new QLabel(this))
    , m_fields {new QLineEdit(this), new QLineEdit(this), new QLineEdit(this), new QLineEdit(this)}
    , m_columnNames(new QCheckBox(tr("Add Column Names On Top"), this))
    , m_snapshot(new QCheckBox(tr("Read every table in one consistent snapshot"), this))
{
    m_type->setObjectName("fileType");
    m_type->addItems({QStringLiteral("CSV"), QStringLiteral("XML"), QStringLiteral("HTML"), QStringLiteral("TEXT")});
    m_directory->setObjectName("directory");
    m_sample->setObjectName("sampleName");
    const char* names[] = {"fieldsTerminatedBy", "fieldsEnclosedBy", "fieldsEscapedBy", "linesTerminatedBy"};
    for (std::size_t i = 0; i < m_fields.size(); ++i)
        m_fields[i]->setObjectName(names[i]);
    m_columnNames->setObjectName("columnNamesOnTop");
    m_snapshot->setObjectName("consistentSnapshot");
    auto* browse = new QPushButton(tr("Browse..."), this);
    browse->setObjectName("browseDirectory");
    connect(m_type, &QComboBox::activated, this, &ExportFilesPage::typeChosen);
    connect(m_type, &QComboBox::currentIndexChanged, this, [this] {
        showSample();
        enableFields();
    });
    connect(browse, &QPushButton::clicked, this, &ExportFilesPage::browse);

    auto* directory = new QHBoxLayout;
    directory->addWidget(m_directory, 1);
    directory->addWidget(browse);
    auto* form = new QFormLayout(this);
    form->addRow(tr("File Type"), m_type);
    form->addRow(tr("Directory"), directory);
    form->addRow(tr("File name"), m_sample);
    form->addRow(tr("Fields Terminated By"), m_fields[0]);
    form->addRow(tr("Fields Enclosed By"), m_fields[1]);
    form->addRow(tr("Fields Escaped By"), m_fields[2]);
    form->addRow(tr("Lines Terminated By"), m_fields[3]);
    form->addRow(QString(), m_columnNames);
    form->addRow(QString(), m_snapshot);
}

QString ExportFilesPage::title() const
{
    return tr("Export Files");
}

void ExportFilesPage::load(const Task& task)
{
    m_loaded = task.exportSettings;
    const int type = m_loaded.fileType >= 1 && m_loaded.fileType <= 4 ? m_loaded.fileType - 1 : -1;
    m_type->setCurrentIndex(type);
    m_directory->setText(QString::fromStdString(m_loaded.directory));
    const auto stored = Fields(m_loaded);
    bool allEmpty = true;
    for (std::size_t i = 0; i < m_fields.size(); ++i) {
        m_fields[i]->setText(QString::fromStdString(wizard::showTypedEscapes(*stored[i])));
        m_shown[i] = m_fields[i]->text();
        allEmpty = allEmpty && stored[i]->empty();
    }
    m_columnNames->setChecked(m_loaded.columnNamesOnTop != 0);
    m_snapshot->setChecked(task.extras.consistentSnapshot);
    // A new task starts with the chosen type's separators.
    if (wizard() && allEmpty && (type == kCsv || type == kText))
        typeChosen(type);
    showSample();
    enableFields();
}

void ExportFilesPage::typeChosen(int index)
{
    const bool csv = index == kCsv;
    const bool text = index == kText;
    // CSV lines end with CR LF as its standard says, TEXT lines with LF.
    const QString defaults[4] = {csv ? QStringLiteral(",")
            : text                   ? QStringLiteral("\\t")
                                     : QString(),
        csv ? QStringLiteral("\"") : QString(), csv || text ? QStringLiteral("\\\\") : QString(),
        csv        ? QStringLiteral("\\r\\n")
            : text ? QStringLiteral("\\n")
                   : QString()};
    for (std::size_t i = 0; i < m_fields.size(); ++i)
        m_fields[i]->setText(defaults[i]);
    if (!csv && !text)
        m_columnNames->setChecked(false);
    enableFields();
}

void ExportFilesPage::showSample()
{
    const char* extensions[] = {".csv", ".xml", ".html", ".txt"};
    const int index = m_type->currentIndex();
    m_sample->setText(index >= 0 ? tr("Tablename") + QLatin1String(extensions[index]) : QString());
}

void ExportFilesPage::enableFields()
{
    const int index = m_type->currentIndex();
    const bool separated = index == kCsv || index == kText;
    for (QLineEdit* field : m_fields)
        field->setEnabled(separated);
    m_columnNames->setEnabled(separated);
}

void ExportFilesPage::browse()
{
    const QString folder
        = session().files().chooseFolder(window(), wizard::tr(wizard::kExportFolderPrompt), m_directory->text());
    if (!folder.isEmpty())
        m_directory->setText(QString::fromStdString(wizard::withTrailingSlash(folder.toStdString())));
}

bool ExportFilesPage::validate()
{
    const std::string directory = m_directory->text().toStdString();
    if (directory.empty())
        return refuse(m_directory, wizard::tr(wizard::kChooseDirectory));
    if (!wizard::isUsableFolder(directory))
        return refuse(m_directory, wizard::invalidFolderText(wizard::kInvalidDirectory, directory));
    if (m_type->currentIndex() < 0)
        return refuse(m_type, wizard::tr(wizard::kChooseFileType));
    return true;
}

void ExportFilesPage::save(Task& task)
{
    ExportSettings& settings = task.exportSettings;
    settings.fileType = static_cast<std::uint8_t>(m_type->currentIndex() + 1);
    const std::string directory = m_directory->text().toStdString();
    settings.directory = directory == m_loaded.directory ? directory : wizard::withTrailingSlash(directory);
    const auto stored = Fields(m_loaded);
    const auto target = Fields(settings);
    for (std::size_t i = 0; i < m_fields.size(); ++i) {
        const QString& text = m_fields[i]->text();
        *target[i] = text == m_shown[i] ? *stored[i] : ConvertTypedEscapes(text.toStdString());
    }
    const bool columnNames = m_columnNames->isChecked();
    settings.columnNamesOnTop = columnNames == (m_loaded.columnNamesOnTop != 0)
        ? m_loaded.columnNamesOnTop
        : static_cast<std::uint8_t>(columnNames);
    task.extras.consistentSnapshot = m_snapshot->isChecked();
}

} // namespace kelvanto
