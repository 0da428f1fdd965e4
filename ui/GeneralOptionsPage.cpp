#include "ui/GeneralOptionsPage.h"

#include "model/OptionsRules.h"
#include "ui/HotKeyMapping.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeySequenceEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>

namespace kelvanto
{

GeneralOptionsPage::GeneralOptionsPage(QWidget* parent)
    : QWidget(parent)
    , m_user(new QLineEdit(this))
    , m_password(new QLineEdit(this))
    , m_autoRun(new QCheckBox(tr("Start the program when you log in"), this))
    , m_noShutdown(new QCheckBox(tr("Disable shutdown/log off/suspend when a task running"), this))
    , m_hotKey(new QKeySequenceEdit(this))
    , m_runNotices(new QComboBox(this))
{
    setObjectName("generalPage");
    m_user->setObjectName("loginUser");
    m_password->setObjectName("loginPassword");
    m_password->setEchoMode(QLineEdit::Password);
    m_autoRun->setObjectName("autoRun");
    m_noShutdown->setObjectName("noShutdown");
    m_hotKey->setObjectName("hotKey");
    // One key with its modifiers: a second key pressed replaces the first.
    connect(m_hotKey, &QKeySequenceEdit::keySequenceChanged, this, [this](const QKeySequence& sequence) {
        if (sequence.count() > 1)
            m_hotKey->setKeySequence(QKeySequence(sequence[sequence.count() - 1]));
    });

    auto* login = new QGroupBox(tr("Software Login Protection"), this);
    auto* loginForm = new QFormLayout(login);
    loginForm->addRow(tr("Username"), m_user);
    loginForm->addRow(tr("Password"), m_password);

    auto* hotKeyBox = new QGroupBox(tr("Hot Key"), this);
    auto* hotKeyLayout = new QHBoxLayout(hotKeyBox);
    hotKeyLayout->addWidget(m_hotKey);

    auto* dates = new QGroupBox(tr("Date Format (for display)"), this);
    auto* dateLayout = new QVBoxLayout(dates);
    const char* const dateCaptions[]
        = {QT_TR_NOOP("Sat, Jan 1, 2005"), QT_TR_NOOP("Sat, 1 Jan, 2005"), QT_TR_NOOP("Sat, yyyy-mm-dd")};
    for (int i = 0; i < 3; ++i) {
        m_dateFormats[i] = new QRadioButton(tr(dateCaptions[i]), dates);
        m_dateFormats[i]->setObjectName(QStringLiteral("dateFormat%1").arg(i + 1));
        dateLayout->addWidget(m_dateFormats[i]);
    }
    auto* times = new QGroupBox(tr("Time Format (for display)"), this);
    auto* timeLayout = new QVBoxLayout(times);
    const char* const timeCaptions[] = {QT_TR_NOOP("20:20:20"), QT_TR_NOOP("08:20:20 P.M")};
    for (int i = 0; i < 2; ++i) {
        m_timeFormats[i] = new QRadioButton(tr(timeCaptions[i]), times);
        m_timeFormats[i]->setObjectName(QStringLiteral("timeFormat%1").arg(i + 1));
        timeLayout->addWidget(m_timeFormats[i]);
    }
    timeLayout->addStretch();

    // In the order of RunNotices.
    m_runNotices->setObjectName(QStringLiteral("runNotices"));
    m_runNotices->addItems({tr("Failed runs only"), tr("Every run"), tr("Never")});
    auto* notices = new QFormLayout;
    notices->addRow(tr("Desktop &notifications:"), m_runNotices);

    auto* reset = new QPushButton(tr("&Reset to default"), this);
    reset->setObjectName("resetGeneral");
    connect(reset, &QPushButton::clicked, this, &GeneralOptionsPage::reset);

    auto* formats = new QHBoxLayout;
    formats->addWidget(dates);
    formats->addWidget(times);
    auto* resetRow = new QHBoxLayout;
    resetRow->addStretch();
    resetRow->addWidget(reset);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(login);
    layout->addWidget(m_autoRun);
    layout->addWidget(m_noShutdown);
    layout->addWidget(hotKeyBox);
    layout->addLayout(formats);
    layout->addLayout(notices);
    layout->addStretch();
    layout->addLayout(resetRow);
}

void GeneralOptionsPage::load(const Options& options)
{
    m_user->setText(QString::fromStdString(options.loginUser));
    m_password->setText(QString::fromStdString(options.loginPassword));
    m_autoRun->setChecked(options.autoRun != 0);
    m_noShutdown->setChecked(options.noShutdownWhileRunning != 0);
    m_hotKeyCode = options.hotKeyCode;
    m_hotKeyModifiers = options.hotKeyModifiers;
    m_hotKey->setKeySequence(hotKeyToSequence(HotKey {options.hotKeyCode, options.hotKeyModifiers}));
    const int date = options.dateFormat >= 1 && options.dateFormat <= 3 ? options.dateFormat : 1;
    const int time = options.timeFormat >= 1 && options.timeFormat <= 2 ? options.timeFormat : 1;
    m_dateFormats[date - 1]->setChecked(true);
    m_timeFormats[time - 1]->setChecked(true);
    m_runNotices->setCurrentIndex(static_cast<int>(options.runNotices));
}

void GeneralOptionsPage::save(Options& options) const
{
    options.loginUser = m_user->text().toStdString();
    options.loginPassword = m_password->text().toStdString();
    NormalizeLogin(options);
    options.autoRun = m_autoRun->isChecked() ? 1 : 0;
    options.noShutdownWhileRunning = m_noShutdown->isChecked() ? 1 : 0;
    if (const auto hotKey = sequenceToHotKey(m_hotKey->keySequence())) {
        options.hotKeyCode = hotKey->code;
        options.hotKeyModifiers = hotKey->modifiers;
    } else {
        options.hotKeyCode = m_hotKeyCode;
        options.hotKeyModifiers = m_hotKeyModifiers;
    }
    for (int i = 0; i < 3; ++i) {
        if (m_dateFormats[i]->isChecked())
            options.dateFormat = static_cast<std::uint8_t>(i + 1);
    }
    for (int i = 0; i < 2; ++i) {
        if (m_timeFormats[i]->isChecked())
            options.timeFormat = static_cast<std::uint8_t>(i + 1);
    }
    options.runNotices = static_cast<RunNotices>(std::clamp(m_runNotices->currentIndex(), 0, 2));
}

void GeneralOptionsPage::reset()
{
    Options options;
    save(options);
    ResetGeneralOptions(options);
    load(options);
}

} // namespace kelvanto
