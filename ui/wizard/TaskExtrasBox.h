#pragma once

#include "model/Task.h"

#include <QGroupBox>

#include <cstdint>

class QCheckBox;
class QComboBox;
class QSpinBox;

namespace kelvanto
{

// The task extras that the advanced settings show for the types that back up or copy
// databases: one snapshot for the run, routines, triggers and events, what becomes of their
// DEFINER, and the size of multi-row INSERT statements (in KiB; 0 for ten rows each). Loads
// and saves the extras; every other extra passes through unchanged.
class TaskExtrasBox : public QGroupBox
{
    Q_OBJECT

public:
    explicit TaskExtrasBox(QWidget* parent = nullptr);

    void load(const TaskExtras& extras);
    void save(TaskExtras& extras) const;
    void setReadOnly(bool readOnly);
    // The statement size counts only with multiple-row INSERT syntax.
    void setInsertSizeEnabled(bool enabled);

private:
    QCheckBox* m_snapshot;
    QCheckBox* m_routines;
    QCheckBox* m_triggers;
    QCheckBox* m_events;
    QComboBox* m_definer;
    QSpinBox* m_insertSize; // KiB
    std::int64_t m_loadedInsertBytes = 0;
};

} // namespace kelvanto
