#include "ui/wizard/RestoreThreadsField.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QSpinBox>

#include <algorithm>

namespace kelvanto
{

RestoreThreadsField::RestoreThreadsField(QWidget* parent)
    : QWidget(parent)
    , m_threads(new QSpinBox(this))
{
    m_threads->setObjectName("restoreThreads");
    m_threads->setRange(1, kMaxThreads);
    m_threads->setToolTip(tr("The files of one backup with a file per table or per database, listed by its "
                             "manifest, are restored over this many connections; other files over one."));
    auto* label = new QLabel(tr("Restore a backup of a file per table or database over &connections:"), this);
    label->setBuddy(m_threads);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(label);
    layout->addWidget(m_threads);
    layout->addStretch(1);
}

void RestoreThreadsField::load(const TaskExtras& extras)
{
    m_loaded = extras.restoreThreads;
    m_threads->setValue(std::clamp(extras.restoreThreads, 1, kMaxThreads));
}

void RestoreThreadsField::save(TaskExtras& extras) const
{
    if (m_threads->value() != std::clamp(m_loaded, 1, kMaxThreads))
        extras.restoreThreads = m_threads->value();
    else
        extras.restoreThreads = m_loaded;
}

void RestoreThreadsField::setReadOnly(bool readOnly)
{
    m_threads->setEnabled(!readOnly);
}

} // namespace kelvanto
