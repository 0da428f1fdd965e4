#include "ui/wizard/ExportFilesViewPage.h"

#include "ui/wizard/ReadOnlyTexts.h"
#include "ui/wizard/ViewWidgets.h"
#include "ui/wizard/WizardChecks.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QLineEdit>

namespace kelvanto
{

namespace
{

QString Escapes(const std::string& stored)
{
    return QString::fromStdString(wizard::showTypedEscapes(stored));
}

} // namespace

ExportFilesViewPage::ExportFilesViewPage(TaskPageSession& session, QWidget* parent)
    : TaskPage(session, parent)
    , m_form(new QFormLayout(this))
{ }

QString ExportFilesViewPage::title() const
{
    return tr("Export Files");
}

void ExportFilesViewPage::load(const Task& task)
{
    const ExportSettings& settings = task.exportSettings;
    m_form->addRow(tr("File Type"), readOnlyLine(this, "fileKind", wizard::exportFileKindText(settings)));
    m_form->addRow(tr("Directory"), readOnlyLine(this, "directory", QString::fromStdString(settings.directory)));
    m_form->addRow(
        tr("Fields Terminated By"), readOnlyLine(this, "fieldsTerminatedBy", Escapes(settings.fieldsTerminatedBy)));
    m_form->addRow(
        tr("Fields Enclosed By"), readOnlyLine(this, "fieldsEnclosedBy", Escapes(settings.fieldsEnclosedBy)));
    m_form->addRow(tr("Fields Escaped By"), readOnlyLine(this, "fieldsEscapedBy", Escapes(settings.fieldsEscapedBy)));
    m_form->addRow(
        tr("Lines Terminated By"), readOnlyLine(this, "linesTerminatedBy", Escapes(settings.linesTerminatedBy)));
    auto* columnNames = new QCheckBox(tr("Add Column Names On Top"), this);
    columnNames->setObjectName("columnNamesOnTop");
    columnNames->setChecked(settings.columnNamesOnTop != 0);
    columnNames->setEnabled(false);
    m_form->addRow(QString(), columnNames);
    auto* snapshot = new QCheckBox(tr("Read every table in one consistent snapshot"), this);
    snapshot->setObjectName("consistentSnapshot");
    snapshot->setChecked(task.extras.consistentSnapshot);
    snapshot->setEnabled(false);
    m_form->addRow(QString(), snapshot);
}

} // namespace kelvanto
