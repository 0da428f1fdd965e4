#include "ui/wizard/SpinField.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QSignalBlocker>
#include <QSpinBox>

namespace kelvanto
{

SpinField::SpinField(int minimum, int maximum, int maxLength, QWidget* parent)
    : QWidget(parent)
    , m_edit(new QLineEdit(this))
    , m_spin(new QSpinBox(this))
{
    m_edit->setMaxLength(maxLength);
    m_edit->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,%1}").arg(maxLength)), m_edit));
    m_spin->setRange(minimum, maximum);
    m_spin->setFixedWidth(m_spin->sizeHint().height() * 2 / 3);
    m_spin->setFocusPolicy(Qt::NoFocus);
    for (QWidget* part : m_spin->findChildren<QWidget*>())
        part->setFocusPolicy(Qt::NoFocus);
    setFocusProxy(m_edit);
    m_edit->installEventFilter(this);
    connect(m_spin, &QSpinBox::valueChanged, this, [this](int value) { m_edit->setText(QString::number(value)); });
    connect(m_edit, &QLineEdit::textChanged, this, [this](const QString& text) {
        bool ok = false;
        const int value = text.toInt(&ok);
        if (ok && value >= m_spin->minimum() && value <= m_spin->maximum()) {
            const QSignalBlocker block(m_spin);
            m_spin->setValue(value);
        }
    });
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_edit);
    layout->addWidget(m_spin);
}

QString SpinField::text() const
{
    return m_edit->text();
}

void SpinField::setText(const QString& text)
{
    m_edit->setText(text);
}

void SpinField::setNumber(int value)
{
    m_edit->setText(QString::number(value));
}

void SpinField::setNames(QAnyStringView name)
{
    m_edit->setObjectName(name);
    m_spin->setObjectName(name.toString() + QLatin1String("Spin"));
}

bool SpinField::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_edit || event->type() != QEvent::KeyPress || m_edit->isReadOnly())
        return QWidget::eventFilter(watched, event);
    const int key = static_cast<QKeyEvent*>(event)->key();
    const int steps = key == Qt::Key_Up ? 1
        : key == Qt::Key_Down           ? -1
        : key == Qt::Key_PageUp         ? 10
        : key == Qt::Key_PageDown       ? -10
                                        : 0;
    if (steps == 0)
        return QWidget::eventFilter(watched, event);
    m_spin->stepBy(steps);
    m_edit->setText(QString::number(m_spin->value()));
    return true;
}

void SpinField::setReadOnly(bool readOnly)
{
    m_edit->setReadOnly(readOnly);
    m_spin->setEnabled(!readOnly);
}

} // namespace kelvanto
