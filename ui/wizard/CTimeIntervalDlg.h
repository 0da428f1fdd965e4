#pragma once

#include <QDialog>

namespace kelvanto
{

class Messages;
class SpinField;

// "Time Interval Settings": the minutes between runs, 1 to 99999 (an empty field counts as 0
// and is refused).
class CTimeIntervalDlg : public QDialog
{
    Q_OBJECT

public:
    CTimeIntervalDlg(int minutes, Messages& messages, QWidget* parent = nullptr);

    int Minutes() const { return m_result; }
    void accept() override;

private:
    Messages& m_messages;
    SpinField* m_minutes;
    int m_result;
};

} // namespace kelvanto
