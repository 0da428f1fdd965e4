#pragma once

#include "model/Task.h"

#include <QString>
#include <QWidget>

#include <string>
#include <vector>

class QLineEdit;

namespace kelvanto
{

// The command that runs after a run of the task that did not succeed (the task's onFailure
// extra), typed on one line with quotes as in a shell and started without one; a short text
// names the environment variables it gets. Empty: no command. Loads and saves that extra
// alone; a command left as loaded is kept as it was stored.
class FailureCommandField : public QWidget
{
    Q_OBJECT

public:
    explicit FailureCommandField(QWidget* parent = nullptr);

    void load(const TaskExtras& extras);
    // Why the typed command cannot be stored (a quote not closed, no program), or "" when it can.
    QString problem() const;
    // The line the user types in (the focus for a refusal).
    QLineEdit* input() const { return m_line; }
    void save(TaskExtras& extras) const;

private:
    bool unchanged() const;

    QLineEdit* m_line;
    std::vector<std::string> m_loaded;
    QString m_loadedText;
};

} // namespace kelvanto
