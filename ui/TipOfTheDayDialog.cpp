#include "ui/TipOfTheDayDialog.h"

#include "ui/UiTexts.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace kelvanto
{

namespace
{

// In the order they are shown; the first names the product line in place of %1.
const char* const kTips[TipOfTheDayDialog::kTipCount] = {
    QT_TRANSLATE_NOOP("kelvanto::TipOfTheDayDialog",
        "\nWelcome to %1! It runs your MySQL and MariaDB backups, copies, exports, scripts and "
        "restores on a schedule, and keeps a log of every run. The user manual is installed with "
        "it: menu \"Help\"->\"User Manual\" explains every window, and \"Help\"->\"Support "
        "Page\" says where to get help."),
    QT_TRANSLATE_NOOP("kelvanto::TipOfTheDayDialog",
        "\nTo Add/Edit/Delete a MySQL server information you should choose menu \"Tools\"->\"MySQL "
        "Servers...\"."),
    QT_TRANSLATE_NOOP("kelvanto::TipOfTheDayDialog",
        "\nTo protect your settings about the tasks you should set username and password at Options dialog "
        "from menu \"Tools\"->\"Options...\"."),
    QT_TRANSLATE_NOOP("kelvanto::TipOfTheDayDialog",
        "\nTo get more detailed information about a task you may double click the task item."),
    QT_TRANSLATE_NOOP(
        "kelvanto::TipOfTheDayDialog", "\nTo start all tasks you should choose menu \"Run\"->\"Start All\"."),
    QT_TRANSLATE_NOOP(
        "kelvanto::TipOfTheDayDialog", "\nTo stop all tasks you should choose menu \"Run\"->\"Stop All\"."),
    QT_TRANSLATE_NOOP("kelvanto::TipOfTheDayDialog",
        "\nYou can set date and time format at Options dialog from menu \"Tools\"->\"Options...\"."),
    QT_TRANSLATE_NOOP("kelvanto::TipOfTheDayDialog", "\nTo rename a task you should press \"F2\" on keyboard."),
    QT_TRANSLATE_NOOP(
        "kelvanto::TipOfTheDayDialog", "\nTo restore MySQL databases you should create a scheduled task of Restore."),
};

} // namespace

QString TipOfTheDayDialog::tip(int index)
{
    if (index < 0 || index >= kTipCount)
        return {};
    const QString text = tr(kTips[index]);
    return index == 0 ? text.arg(texts::productLine()) : text;
}

int TipOfTheDayDialog::firstTipAfter(std::int32_t lastTipIndex)
{
    const std::int64_t next = static_cast<std::int64_t>(lastTipIndex) + 1;
    return next >= 0 && next < kTipCount ? static_cast<int>(next) : 0;
}

TipOfTheDayDialog::TipOfTheDayDialog(std::int32_t lastTipIndex, bool showTips, QWidget* parent)
    : QDialog(parent)
    , m_index(firstTipAfter(lastTipIndex))
    , m_text(new QLabel(this))
    , m_counter(new QLabel(this))
    , m_showTips(new QCheckBox(tr("&Show tips on start up"), this))
{
    setObjectName("tipDialog");
    setWindowTitle(tr("Tip of the Day"));
    m_text->setObjectName("tipText");
    m_counter->setObjectName("tipCounter");
    m_showTips->setObjectName("showTips");
    m_showTips->setChecked(showTips);
    m_text->setWordWrap(true);
    m_text->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    m_text->setMinimumSize(340, 110);

    auto* picture = new QLabel(this);
    picture->setPixmap(QIcon(QStringLiteral(":/kelvanto/kelvanto.svg")).pixmap(QSize(48, 48), devicePixelRatioF()));
    picture->setAlignment(Qt::AlignTop);
    auto* heading = new QLabel(tr("\nDid you know...").trimmed(), this);
    QFont bold = heading->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.3);
    heading->setFont(bold);

    auto* previous = new QPushButton(tr("&Previous Tip"), this);
    auto* next = new QPushButton(tr("&Next Tip"), this);
    auto* close = new QPushButton(tr("&Close"), this);
    previous->setObjectName("previousTip");
    next->setObjectName("nextTip");
    close->setObjectName("close");
    close->setDefault(true);
    connect(previous, &QPushButton::clicked, this, &TipOfTheDayDialog::previous);
    connect(next, &QPushButton::clicked, this, &TipOfTheDayDialog::next);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);

    auto* textColumn = new QVBoxLayout;
    textColumn->addWidget(heading);
    textColumn->addWidget(m_text, 1);
    auto* top = new QHBoxLayout;
    top->addWidget(picture);
    top->addLayout(textColumn, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(m_showTips);
    bottom->addStretch();
    bottom->addWidget(m_counter);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(previous);
    buttons->addWidget(next);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(bottom);
    layout->addLayout(buttons);
    showTip();
}

bool TipOfTheDayDialog::showOnStartUp() const
{
    return m_showTips->isChecked();
}

void TipOfTheDayDialog::next()
{
    m_index = (m_index + 1) % kTipCount;
    showTip();
}

void TipOfTheDayDialog::previous()
{
    m_index = (m_index + kTipCount - 1) % kTipCount;
    showTip();
}

void TipOfTheDayDialog::showTip()
{
    m_text->setText(tip(m_index).trimmed());
    m_counter->setText(tr("Tip %1 of %2").arg(m_index + 1).arg(kTipCount));
}

} // namespace kelvanto
