#include "ui/AboutDialog.h"

#include "model/Version.h"

#include "ui/HelpOpener.h"
#include "ui/ProductLinks.h"
#include "ui/UiTexts.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace kelvanto
{

namespace
{

// A link to a page of the manual, in the palette's link colour.
QLabel* LinkLabel(const QString& topic, const QString& text, HelpOpener& help, QWidget* parent)
{
    auto* label
        = new QLabel(QStringLiteral("<a href=\"%1\">%2</a>").arg(topic.toHtmlEscaped(), text.toHtmlEscaped()), parent);
    label->setTextFormat(Qt::RichText);
    label->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    label->setOpenExternalLinks(false);
    QObject::connect(label, &QLabel::linkActivated, parent, [&help](const QString& link) { help.openTopic(link); });
    return label;
}

} // namespace

AboutDialog::AboutDialog(HelpOpener& help, QWidget* parent)
    : QDialog(parent)
{
    setObjectName("aboutDialog");
    setWindowTitle(tr("About"));
    auto* icon = new QLabel(this);
    icon->setPixmap(QIcon(QStringLiteral(":/kelvanto/kelvanto.svg")).pixmap(QSize(48, 48), devicePixelRatioF()));
    icon->setAlignment(Qt::AlignTop);
    auto* product = new QLabel(texts::productLine(), this);
    product->setObjectName("product");
    QFont bold = product->font();
    bold.setBold(true);
    product->setFont(bold);
    auto* version = new QLabel(
        tr("Version %1, built with Qt %2").arg(QLatin1String(KELVANTO_VERSION), QLatin1String(qVersion())), this);

    auto* webSite = LinkLabel(QLatin1String(links::kWebSite), tr("The user manual"), help, this);
    webSite->setObjectName("webSiteLink");
    auto* email = LinkLabel(QLatin1String(links::kSupportEmail), tr("Getting help"), help, this);
    email->setObjectName("emailLink");
    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(tr("Manual:"), this), 0, 0);
    grid->addWidget(webSite, 0, 1);
    grid->addWidget(new QLabel(tr("Support:"), this), 1, 0);
    grid->addWidget(email, 1, 1);

    auto* buttons = new QDialogButtonBox(this);
    auto* ok = buttons->addButton(tr("O&K"), QDialogButtonBox::AcceptRole);
    ok->setObjectName("ok");
    ok->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* text = new QVBoxLayout;
    text->addWidget(product);
    text->addWidget(version);
    text->addSpacing(8);
    text->addLayout(grid);
    auto* top = new QHBoxLayout;
    top->addWidget(icon);
    top->addLayout(text, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(buttons);
}

} // namespace kelvanto
