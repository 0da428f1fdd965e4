#pragma once

#include "ui/wizard/TaskPage.h"

#include <array>

class QButtonGroup;
class QLabel;
class QPushButton;
class QRadioButton;

namespace kelvanto
{

class FailureCommandField;

// When the task runs: Manual, Time Interval, Every Day, Every Week, Every Month or Special
// Date, each but Manual with its settings dialog. Next needs the chosen kind's settings; the
// fields the kind does not use are zeroed when a schedule chosen here is stored. Below, the
// command that runs after a run that did not succeed.
class SchedulePage : public TaskPage
{
    Q_OBJECT

public:
    explicit SchedulePage(TaskPageSession& session, QWidget* parent = nullptr);

    QString title() const override;
    void load(const Task& task) override;
    bool validate() override;
    void save(Task& task) override;

    // The schedule as it would be stored now.
    Schedule current() const;

private:
    int chosenKind() const; // -1 when no radio is set
    bool validateKind();
    void openSettings(ScheduleKind kind);
    void showDescription();

    // The task's schedule as loaded: stored again as it is while the user changes nothing here.
    Schedule m_loaded;
    bool m_changed = false;
    Schedule m_schedule;
    // Whether the run time and the special date hold values the user (or the task) set.
    bool m_runTimeSet = false;
    bool m_dateSet = false;
    QButtonGroup* m_kinds;
    std::array<QRadioButton*, 6> m_radios;
    QLabel* m_description;
    FailureCommandField* m_onFailure;
};

} // namespace kelvanto
