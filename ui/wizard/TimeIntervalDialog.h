#pragma once

#include <QDialog>

namespace kelvanto
{

class Messages;
class SpinField;

// "Time Interval Settings": the minutes between runs, 1 to 99999 (an empty field counts as 0
// and is refused).
class TimeIntervalDialog : public QDialog
{
    Q_OBJECT

public:
    TimeIntervalDialog(int minutes, Messages& messages, QWidget* parent = nullptr);

    int minutes() const { return m_result; }
    void accept() override;

private:
    Messages& m_messages;
    SpinField* m_minutes;
    int m_result;
};

} // namespace kelvanto
