#pragma once

#include "model/Task.h"

#include <QGroupBox>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QSpinBox;

namespace kelvanto
{

// The task extras that the advanced settings show for the types that back up or copy
// databases: one snapshot for the run, routines, triggers and events, what becomes of their
// DEFINER, and the size of multi-row INSERT statements (in KiB; 0 for ten rows each); for a
// backup to files also the server its backups are verified on by a restore. Loads and saves
// the extras; every other extra passes through unchanged.
class TaskExtrasBox : public QGroupBox
{
    Q_OBJECT

public:
    explicit TaskExtrasBox(QWidget* parent = nullptr);

    void load(const TaskExtras& extras);
    void save(TaskExtras& extras) const;
    // Copies the extras this box shows from `from` to `to`, and no other: a page that keeps
    // them for the box writes them back without undoing what other pages set.
    static void copyShown(const TaskExtras& from, TaskExtras& to);
    void setReadOnly(bool readOnly);
    // The statement size counts only with multiple-row INSERT syntax.
    void setInsertSizeEnabled(bool enabled);
    // Shows the verification server: off, or one of these stored profiles (a server the
    // loaded extras name otherwise is offered as well, so that it is kept).
    void showVerification(const std::vector<std::string>& profileNames);

private:
    void fillVerification();

    QCheckBox* m_snapshot;
    QCheckBox* m_routines;
    QCheckBox* m_triggers;
    QCheckBox* m_events;
    QComboBox* m_definer;
    QSpinBox* m_insertSize; // KiB
    std::int64_t m_loadedInsertBytes = 0;
    QLabel* m_verifyLabel;
    QComboBox* m_verify;
    bool m_verifyShown = false;
    std::vector<std::string> m_profileNames;
    // The loaded choice, and what each item of m_verify stands for.
    std::optional<VerifyServer> m_loadedVerify;
    std::vector<std::optional<VerifyServer>> m_verifyChoices;
};

} // namespace kelvanto
