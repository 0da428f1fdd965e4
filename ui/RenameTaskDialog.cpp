#include "ui/RenameTaskDialog.h"

#include "ui/Messages.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace kelvanto
{

RenameTaskDialog::RenameTaskDialog(const QString& name, Rename rename, Messages& messages, QWidget* parent)
    : QDialog(parent)
    , m_rename(std::move(rename))
    , m_messages(messages)
    , m_name(new QLineEdit(name, this))
{
    setWindowTitle(tr("Rename Task"));
    m_name->setObjectName("taskName");
    m_name->selectAll();
    auto* form = new QFormLayout;
    form->addRow(tr("Task Name"), m_name);
    auto* buttons = new QDialogButtonBox(this);
    auto* ok = buttons->addButton(tr("O&K"), QDialogButtonBox::AcceptRole);
    auto* cancel = buttons->addButton(tr("&Cancel"), QDialogButtonBox::RejectRole);
    ok->setObjectName("ok");
    cancel->setObjectName("cancel");
    ok->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &RenameTaskDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    resize(360, sizeHint().height());
}

void RenameTaskDialog::accept()
{
    const QString warning = m_rename(m_name->text());
    if (!warning.isEmpty()) {
        m_messages.warning(this, warning);
        m_name->setFocus();
        m_name->selectAll();
        return;
    }
    QDialog::accept();
}

} // namespace kelvanto
