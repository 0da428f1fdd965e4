#include "ui/wizard/FailureCommandField.h"

#include "ui/wizard/CommandLine.h"
#include "ui/wizard/WizardTexts.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

namespace kelvanto
{

FailureCommandField::FailureCommandField(QWidget* parent)
    : QWidget(parent)
    , m_line(new QLineEdit(this))
{
    m_line->setObjectName(QStringLiteral("onFailure"));
    m_line->setPlaceholderText(tr("No command"));
    const QString details = tr("A run that failed or completed with errors starts this command: the program "
                               "(looked up in PATH) and its arguments, quoted as in a shell but started "
                               "without one. Its environment adds KELVANTO_TASK (the task's name), "
                               "KELVANTO_OUTCOME (failed or completed-with-errors), KELVANTO_FIRST_ERROR "
                               "(the run's first error line) and KELVANTO_LOG (the run's log, its last "
                               "32 KiB). It may run for 60 seconds; the task's log says how it ended.");
    m_line->setToolTip(details);
    auto* label = new QLabel(tr("After a run that did not succeed, r&un:"), this);
    label->setBuddy(m_line);
    label->setToolTip(details);
    auto* hint = new QLabel(tr("Started without a shell, with KELVANTO_TASK, KELVANTO_OUTCOME, "
                               "KELVANTO_FIRST_ERROR and KELVANTO_LOG in its environment."),
        this);
    hint->setObjectName(QStringLiteral("onFailureHint"));
    hint->setWordWrap(true);
    hint->setToolTip(details);
    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(label, 0, 0);
    layout->addWidget(m_line, 0, 1);
    layout->addWidget(hint, 1, 1);
    layout->setColumnStretch(1, 1);
}

void FailureCommandField::load(const TaskExtras& extras)
{
    m_loaded = extras.onFailure;
    m_loadedText = QString::fromStdString(wizard::joinCommandLine(extras.onFailure));
    m_line->setText(m_loadedText);
}

bool FailureCommandField::unchanged() const
{
    return m_line->text() == m_loadedText;
}

QString FailureCommandField::problem() const
{
    if (unchanged())
        return {};
    const auto arguments = wizard::splitCommandLine(m_line->text().toStdString());
    return arguments ? QString() : wizard::tr(arguments.error().c_str());
}

void FailureCommandField::save(TaskExtras& extras) const
{
    if (unchanged()) {
        extras.onFailure = m_loaded;
        return;
    }
    // The page refuses a command that does not split before it saves; should one come here
    // all the same, the stored command stays rather than a changed one.
    auto arguments = wizard::splitCommandLine(m_line->text().toStdString());
    extras.onFailure = arguments ? std::move(*arguments) : m_loaded;
}

} // namespace kelvanto
