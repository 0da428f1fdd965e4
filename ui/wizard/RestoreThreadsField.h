#pragma once

#include "model/Task.h"

#include <QWidget>

class QSpinBox;

namespace kelvanto
{

// How many connections a restore uses (the task's restoreThreads, 1 to 64), with a label
// that says when more than one is used: for the files of one backup run with a file per
// table or per database, described by the run's manifest. The restore pages show it, the
// read-only one disabled.
class RestoreThreadsField : public QWidget
{
    Q_OBJECT

public:
    static constexpr int kMaxThreads = 64;

    explicit RestoreThreadsField(QWidget* parent = nullptr);

    void load(const TaskExtras& extras);
    // A value left as loaded is kept as it was stored (even one out of range).
    void save(TaskExtras& extras) const;
    void setReadOnly(bool readOnly);

private:
    QSpinBox* m_threads;
    std::int32_t m_loaded = 1;
};

} // namespace kelvanto
