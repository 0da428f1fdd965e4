// Renders the wizard pages of one task type of each family and the property sheet, as the
// README shows them: each must paint at its size with its controls laid out. With
// KELVANTO_SCREENSHOT_DIR set (scripts/screenshots), the pictures are written there.
#include "app/TaskJson.h"
#include "model/FileBytes.h"
#include "tests/support/TestServer.h"
#include "tests/ui/support/ExampleTasks.h"
#include "tests/ui/support/WizardHarness.h"
#include "ui/wizard/TaskPropertiesDialog.h"
#include "ui/wizard/TaskWizard.h"

#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QTabWidget>
#include <QTreeWidget>
#include <QtTest>

using namespace kelvanto;
using namespace kelvanto::test;

namespace
{

// Paints the window and, when asked for, keeps the picture.
void Picture(QWidget& window, const char* name)
{
    window.resize(720, 540);
    window.show();
    QCoreApplication::processEvents();
    const QPixmap picture = window.grab();
    QVERIFY2(!picture.isNull() && picture.width() >= 720, name);
    const QString folder = QString::fromStdString(Env("KELVANTO_SCREENSHOT_DIR"));
    if (!folder.isEmpty())
        QVERIFY2(picture.save(QDir(folder).filePath(QString(name) + ".png")), name);
}

} // namespace

class WizardScreenshotsTest : public QObject
{
    Q_OBJECT

private slots:
    void wizardOfEachFamily_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("example");
        QTest::addColumn<int>("step");
        QTest::newRow("backup to files") << "wizard-backup-databases"
                                         << "backup-sakila" << 3;
        QTest::newRow("copy") << "wizard-copy-destination"
                              << "backup-to-server" << 4;
        QTest::newRow("export") << "wizard-export-file"
                                << "export-tables" << 4;
        QTest::newRow("script") << "wizard-script"
                                << "execute-script" << 3;
        QTest::newRow("restore") << "wizard-restore-files"
                                 << "restore-from-files" << 2;
        QTest::newRow("summary") << "wizard-summary"
                                 << "backup-sakila" << 6;
    }
    void wizardOfEachFamily()
    {
        QFETCH(QString, name);
        QFETCH(QString, example);
        QFETCH(int, step);
        WizardHarness harness;
        const Task task = loadExample(example.toUtf8().constData(), harness.dir.path());
        TaskWizard wizard(harness.context(), static_cast<int>(task.type), nullptr, task);
        wizard.setStartId(step);
        wizard.restart();
        if (auto* tree = wizard.findChild<QTreeWidget*>("databases"))
            tree->expandAll();
        Picture(wizard, name.toUtf8().constData());
    }

    void propertySheet()
    {
        WizardHarness harness;
        TaskPropertiesDialog edit(
            harness.context(), SheetMode::Edit, loadExample("backup-to-database", harness.dir.path()));
        edit.tabs()->setCurrentIndex(4);
        Picture(edit, "sheet-edit-schedule");
        TaskPropertiesDialog view(harness.context(), SheetMode::View, loadExample("backup-sakila", harness.dir.path()));
        view.tabs()->setCurrentIndex(3);
        Picture(view, "sheet-properties-backup-files");
    }
};

QTEST_MAIN(WizardScreenshotsTest)
#include "WizardScreenshotsTest.moc"
