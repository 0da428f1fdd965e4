#include "ui/AutostartQuestionDialog.h"

#include "ui/UiTexts.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace kelvanto
{

AutostartQuestionDialog::AutostartQuestionDialog(const QString& text, QWidget* parent)
    : QDialog(parent)
    , m_dontAsk(new QCheckBox(tr("Don't ask me again"), this))
{
    setWindowTitle(texts::tr(texts::kCaption));
    auto* icon = new QLabel(this);
    const int size = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
    icon->setPixmap(style()
                        ->standardIcon(QStyle::SP_MessageBoxQuestion, nullptr, this)
                        .pixmap(QSize(size, size), devicePixelRatioF()));
    icon->setAlignment(Qt::AlignTop);
    auto* message = new QLabel(text, this);
    message->setWordWrap(true);
    m_dontAsk->setObjectName("dontAskAgain");

    auto* buttons = new QDialogButtonBox(this);
    auto* yes = buttons->addButton(tr("&Yes"), QDialogButtonBox::YesRole);
    auto* no = buttons->addButton(tr("&No"), QDialogButtonBox::NoRole);
    yes->setObjectName("yes");
    no->setObjectName("no");
    yes->setDefault(true);
    connect(yes, &QPushButton::clicked, this, &QDialog::accept);
    connect(no, &QPushButton::clicked, this, &QDialog::reject);

    auto* top = new QHBoxLayout;
    top->addWidget(icon);
    top->addWidget(message, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_dontAsk);
    layout->addWidget(buttons);
}

bool AutostartQuestionDialog::dontAskAgain() const
{
    return m_dontAsk->isChecked();
}

} // namespace kelvanto
