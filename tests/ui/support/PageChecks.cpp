#include "tests/ui/support/PageChecks.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>

namespace kelvanto::test
{

void type(QWidget* root, const char* name, const QString& text)
{
    QObject* found = root->findChild<QObject*>(name);
    if (auto* line = qobject_cast<QLineEdit*>(found))
        line->setText(text);
    else if (auto* box = qobject_cast<QPlainTextEdit*>(found))
        box->setPlainText(text);
    else
        QFAIL(qPrintable(QString("no text field named ") + name));
}

void tick(QWidget* root, const char* name, bool on)
{
    auto* button = root->findChild<QAbstractButton*>(name);
    if (!button)
        QFAIL(qPrintable(QString("no check box or radio button named ") + name));
    // Clicked as a user clicks it, so that the page hears of the change.
    if (button->isChecked() != on)
        button->click();
    if (button->isChecked() != on)
        QFAIL(qPrintable(QString("cannot set ") + name));
}

void click(QWidget* root, const char* name)
{
    auto* button = root->findChild<QAbstractButton*>(name);
    if (!button)
        QFAIL(qPrintable(QString("no button named ") + name));
    button->click();
}

void expectValidation(
    WizardHarness& harness, TaskPage& page, const QString& message, const char* focus, const char* row)
{
    harness.messages.clearShown();
    const bool accepted = page.validate();
    const QString shown = harness.messages.texts().join(" | ");
    if (message.isEmpty()) {
        QVERIFY2(accepted, qPrintable(QString(row) + ": refused with " + shown));
        QVERIFY2(harness.messages.shown.empty(), qPrintable(QString(row) + ": showed " + shown));
        return;
    }
    QVERIFY2(!accepted, qPrintable(QString(row) + ": accepted"));
    QVERIFY2(harness.messages.shown.size() == 1 && shown == message,
        qPrintable(QString(row) + ": showed [" + shown + "] instead of [" + message + "]"));
    QVERIFY2(harness.messages.shown.front().icon == Messages::Icon::Warning, row);
    const QWidget* focused = focusOf(&page);
    QVERIFY2(focused && focused->objectName() == focus,
        qPrintable(
            QString(row) + ": focus on " + (focused ? focused->objectName() : "nothing") + " instead of " + focus));
}

QString firstDifference(const std::string& actual, const std::string& expected)
{
    const QStringList a = QString::fromStdString(actual).split('\n');
    const QStringList b = QString::fromStdString(expected).split('\n');
    for (qsizetype i = 0; i < std::max(a.size(), b.size()); ++i) {
        const QString left = a.value(i, "<end>");
        const QString right = b.value(i, "<end>");
        if (left != right)
            return QString("line %1: actual [%2], expected [%3]").arg(i + 1).arg(left.trimmed(), right.trimmed());
    }
    return {};
}

} // namespace kelvanto::test
