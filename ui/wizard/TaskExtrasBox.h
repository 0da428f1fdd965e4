#pragma once

#include "model/Task.h"

#include <QGroupBox>

class QCheckBox;
class QComboBox;

namespace kelvanto
{

// The task extras that the advanced settings show for the types that back up or copy
// databases: one snapshot for the run, routines, triggers and events, and what becomes of
// their DEFINER. Loads and saves the extras; every other extra passes through unchanged.
class TaskExtrasBox : public QGroupBox
{
    Q_OBJECT

public:
    explicit TaskExtrasBox(QWidget* parent = nullptr);

    void load(const TaskExtras& extras);
    void save(TaskExtras& extras) const;
    void setReadOnly(bool readOnly);

private:
    QCheckBox* m_snapshot;
    QCheckBox* m_routines;
    QCheckBox* m_triggers;
    QCheckBox* m_events;
    QComboBox* m_definer;
};

} // namespace kelvanto
