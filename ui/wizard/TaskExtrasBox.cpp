#include "ui/wizard/TaskExtrasBox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>

namespace kelvanto
{

TaskExtrasBox::TaskExtrasBox(QWidget* parent)
    : QGroupBox(tr("Consistency and stored objects"), parent)
    , m_snapshot(new QCheckBox(tr("Read every table in one consistent snapshot"), this))
    , m_routines(new QCheckBox(tr("Stored procedures and functions"), this))
    , m_triggers(new QCheckBox(tr("Triggers"), this))
    , m_events(new QCheckBox(tr("Events"), this))
    , m_definer(new QComboBox(this))
{
    setObjectName("taskExtras");
    m_snapshot->setObjectName("consistentSnapshot");
    m_routines->setObjectName("routines");
    m_triggers->setObjectName("triggers");
    m_events->setObjectName("events");
    m_definer->setObjectName("definer");
    // Item data: the DefinerMode value.
    m_definer->addItem(tr("Keep as the server reports it"), static_cast<int>(DefinerMode::Keep));
    m_definer->addItem(tr("Leave out"), static_cast<int>(DefinerMode::Strip));

    auto* definerLabel = new QLabel(tr("DEFINER of views and stored objects:"), this);
    definerLabel->setBuddy(m_definer);
    auto* grid = new QGridLayout(this);
    grid->addWidget(m_snapshot, 0, 0, 1, 3);
    grid->addWidget(m_routines, 1, 0);
    grid->addWidget(m_triggers, 1, 1);
    grid->addWidget(m_events, 1, 2);
    grid->addWidget(definerLabel, 2, 0);
    grid->addWidget(m_definer, 2, 1, 1, 2);
}

void TaskExtrasBox::load(const TaskExtras& extras)
{
    m_snapshot->setChecked(extras.consistentSnapshot);
    m_routines->setChecked(extras.routines);
    m_triggers->setChecked(extras.triggers);
    m_events->setChecked(extras.events);
    m_definer->setCurrentIndex(m_definer->findData(static_cast<int>(extras.definer)));
}

void TaskExtrasBox::save(TaskExtras& extras) const
{
    extras.consistentSnapshot = m_snapshot->isChecked();
    extras.routines = m_routines->isChecked();
    extras.triggers = m_triggers->isChecked();
    extras.events = m_events->isChecked();
    extras.definer = static_cast<DefinerMode>(m_definer->currentData().toInt());
}

void TaskExtrasBox::setReadOnly(bool readOnly)
{
    for (QWidget* control : std::initializer_list<QWidget*> {m_snapshot, m_routines, m_triggers, m_events, m_definer})
        control->setEnabled(!readOnly);
}

} // namespace kelvanto
