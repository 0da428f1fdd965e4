#include "ui/OptionsDialog.h"

#include "ui/BackupLogOptionsPage.h"
#include "ui/GeneralOptionsPage.h"
#include "ui/HelpOpener.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QVBoxLayout>

namespace kelvanto
{

OptionsDialog::OptionsDialog(const Options& options, const std::filesystem::path& dataFolder, Messages& messages,
    HelpOpener& help, FileDialogs& fileDialogs, QWidget* parent)
    : QDialog(parent)
    , m_options(options)
    , m_tabs(new QTabWidget(this))
    , m_general(new GeneralOptionsPage(this))
    , m_backupLog(new BackupLogOptionsPage(dataFolder, messages, fileDialogs, this))
{
    setObjectName("optionsSheet");
    setWindowTitle(tr("Options"));
    m_tabs->setObjectName("pages");
    m_tabs->addTab(m_general, tr("General"));
    m_tabs->addTab(m_backupLog, tr("Backup and Log"));
    m_general->load(m_options);
    m_backupLog->load(m_options);
    connect(m_tabs, &QTabWidget::currentChanged, this, [this](int index) {
        if (index == m_currentPage)
            return;
        if (!validatePage(m_currentPage)) {
            const QSignalBlocker block(m_tabs);
            m_tabs->setCurrentIndex(m_currentPage);
            return;
        }
        m_currentPage = index;
    });

    auto* buttons = new QDialogButtonBox(this);
    auto* ok = buttons->addButton(tr("OK"), QDialogButtonBox::AcceptRole);
    auto* cancel = buttons->addButton(tr("Cancel"), QDialogButtonBox::RejectRole);
    auto* helpButton = buttons->addButton(tr("Help"), QDialogButtonBox::HelpRole);
    ok->setObjectName("ok");
    cancel->setObjectName("cancel");
    helpButton->setObjectName("help");
    ok->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &OptionsDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(helpButton, &QPushButton::clicked, this, [&help] { help.openTopic(QLatin1String(kHelpTopic)); });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addWidget(buttons);
}

bool OptionsDialog::validatePage(int index)
{
    return index == 0 ? m_general->validate() : m_backupLog->validate();
}

void OptionsDialog::accept()
{
    for (int page : {m_currentPage, 1 - m_currentPage}) {
        if (!validatePage(page)) {
            const QSignalBlocker block(m_tabs);
            m_tabs->setCurrentIndex(page);
            m_currentPage = page;
            return;
        }
    }
    m_general->save(m_options);
    m_backupLog->save(m_options);
    QDialog::accept();
}

} // namespace kelvanto
