#pragma once

#include "model/Options.h"

#include <QWidget>

class QCheckBox;
class QComboBox;
class QKeySequenceEdit;
class QLineEdit;
class QRadioButton;

namespace kelvanto
{

// The options sheet's "General" page: the login protection, starting at login, the shutdown
// switch, the hot key, the date and time display formats and which runs raise a desktop
// notification.
class GeneralOptionsPage : public QWidget
{
    Q_OBJECT

public:
    explicit GeneralOptionsPage(QWidget* parent = nullptr);

    void load(const Options& options);
    bool validate() { return true; }
    // Stores the page; an empty user name also empties the password.
    void save(Options& options) const;
    // "&Reset to default".
    void reset();

private:
    QLineEdit* m_user;
    QLineEdit* m_password;
    QCheckBox* m_autoRun;
    QCheckBox* m_noShutdown;
    QKeySequenceEdit* m_hotKey;
    QRadioButton* m_dateFormats[3];
    QRadioButton* m_timeFormats[2];
    QComboBox* m_runNotices;
    // The stored hot key, kept when the editor holds a key that cannot be stored.
    std::uint16_t m_hotKeyCode = 0;
    std::uint16_t m_hotKeyModifiers = 0;
};

} // namespace kelvanto
