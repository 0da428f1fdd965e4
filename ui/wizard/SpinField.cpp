#include "ui/wizard/SpinField.h"

#include <QHBoxLayout>
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
        new QRegularExpressionValidator(QRegularExpression(QString("[0-9]{0,%1}").arg(maxLength)), m_edit));
    m_spin->setRange(minimum, maximum);
    m_spin->setFixedWidth(m_spin->sizeHint().height() * 2 / 3);
    setFocusProxy(m_edit);
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

void SpinField::setNames(const QString& name)
{
    m_edit->setObjectName(name);
    m_spin->setObjectName(name + "Spin");
}

void SpinField::setReadOnly(bool readOnly)
{
    m_edit->setReadOnly(readOnly);
    m_spin->setEnabled(!readOnly);
}

} // namespace kelvanto
