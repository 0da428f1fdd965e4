#pragma once

#include "model/Task.h"

#include <QDialog>

#include <string>

class QListWidget;
class QVBoxLayout;

namespace kelvanto
{

class Messages;

// The schedule settings dialogs that have a run time: the hour list "00" to "23" and the
// minute list "00" to "59", whose chosen positions are the stored values. OK refuses a
// missing hour or minute, then whatever the kind adds (ExtraCheck); result() gives the
// schedule with the dialog's values after OK.
class RunTimeDialog : public QDialog
{
    Q_OBJECT

public:
    // runTimeSet: whether schedule's hour and minute hold a run time chosen before.
    RunTimeDialog(const QString& caption, const Schedule& schedule, bool runTimeSet, Messages& messages,
        QWidget* parent = nullptr);

    Schedule result() const { return m_schedule; }
    void accept() override;

protected:
    // Where a kind's own controls go, under the run time.
    QVBoxLayout* extraLayout() const { return m_extra; }
    const Schedule& loaded() const { return m_loaded; }
    // The kind's own check on OK (a message, with the focus on its control) and its values.
    virtual std::string extraCheck() { return {}; }
    virtual QWidget* extraFaultField() { return nullptr; }
    virtual void saveExtra(Schedule& /*schedule*/) const { }

private:
    Schedule m_loaded;
    Schedule m_schedule;
    Messages& m_messages;
    QListWidget* m_hours;
    QListWidget* m_minutes;
    QVBoxLayout* m_extra;
};

} // namespace kelvanto
