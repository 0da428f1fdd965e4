#pragma once

#include <QAnyStringView>
#include <QWidget>

class QLineEdit;
class QSpinBox;

namespace kelvanto
{

// A number field as the dialogs have it: an edit that takes digits only (up to maxLength of
// them) with an up-down control beside it that steps through minimum-maximum. The text is
// what the checks read, so an empty or out-of-range entry reaches them as typed. The two are
// one control with one tab stop: the up-down control takes no focus, and Up, Down, Page Up
// and Page Down in the edit step the number.
class SpinField : public QWidget
{
    Q_OBJECT

public:
    SpinField(int minimum, int maximum, int maxLength, QWidget* parent = nullptr);

    QString text() const;
    void setText(const QString& text);
    void setNumber(int value);
    QLineEdit* edit() const { return m_edit; }
    QSpinBox* spin() const { return m_spin; }
    // Gives the edit and the spin control object names: name and name + "Spin". An object name
    // as QObject::setObjectName takes it, a literal or a QString.
    void setNames(QAnyStringView name);
    void setReadOnly(bool readOnly);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLineEdit* m_edit;
    QSpinBox* m_spin;
};

} // namespace kelvanto
