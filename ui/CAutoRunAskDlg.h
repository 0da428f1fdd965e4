#pragma once

#include <QDialog>

class QCheckBox;

namespace kelvanto
{

// The start-up question whether the program starts when the user logs in: the question, "&Yes",
// "&No" and the check box "Don't ask me again". Accepted means Yes.
class CAutoRunAskDlg : public QDialog
{
    Q_OBJECT

public:
    explicit CAutoRunAskDlg(const QString& text, QWidget* parent = nullptr);
    bool DontAskAgain() const;

private:
    QCheckBox* m_dontAsk;
};

} // namespace kelvanto
