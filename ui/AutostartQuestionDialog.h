#pragma once

#include <QDialog>

class QCheckBox;

namespace kelvanto
{

// The start-up question whether the program starts when the user logs in: the question, "&Yes",
// "&No" and the check box "Don't ask me again". Accepted means Yes.
class AutostartQuestionDialog : public QDialog
{
    Q_OBJECT

public:
    explicit AutostartQuestionDialog(const QString& text, QWidget* parent = nullptr);
    bool dontAskAgain() const;

private:
    QCheckBox* m_dontAsk;
};

} // namespace kelvanto
