#include "ui/ConnectionFailureDialog.h"

#include "ui/HelpOpener.h"
#include "ui/UiTexts.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace kelvanto
{

ConnectionFailureDialog::ConnectionFailureDialog(const QString& text, HelpOpener& help, QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(texts::tr(texts::kCaption));
    auto* icon = new QLabel(this);
    const int size = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
    icon->setPixmap(style()
                        ->standardIcon(QStyle::SP_MessageBoxCritical, nullptr, this)
                        .pixmap(QSize(size, size), devicePixelRatioF()));
    icon->setAlignment(Qt::AlignTop);
    auto* message = new QLabel(text, this);
    message->setObjectName("message");
    message->setTextInteractionFlags(Qt::TextSelectableByMouse);
    message->setWordWrap(true);

    auto* buttons = new QDialogButtonBox(this);
    auto* ok = buttons->addButton(tr("O&K"), QDialogButtonBox::AcceptRole);
    ok->setObjectName("ok");
    ok->setDefault(true);
    auto* howTo = buttons->addButton(tr("&How to connect to a MySQL server"), QDialogButtonBox::HelpRole);
    howTo->setObjectName("howToConnect");
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(howTo, &QPushButton::clicked, this, [&help] { help.openTopic(QLatin1String(kHelpTopic)); });

    auto* top = new QHBoxLayout;
    top->addWidget(icon);
    top->addWidget(message, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(buttons);
}

} // namespace kelvanto
