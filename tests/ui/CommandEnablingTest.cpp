// The enabling table of the task list's commands, against tasks in every state.
#include "ui/CommandEnabling.h"

#include <QtTest>

using namespace kelvanto;
using State = CommandEnabling::TaskState;

Q_DECLARE_METATYPE(std::vector<State>)
Q_DECLARE_METATYPE(std::vector<std::size_t>)

namespace
{

constexpr State kStoppedManual {TaskStatus::Stopped, true};
constexpr State kStoppedScheduled {TaskStatus::Stopped, false};
constexpr State kWaiting {TaskStatus::Waiting, false};
constexpr State kRunningManual {TaskStatus::Running, true};
constexpr State kRunningScheduled {TaskStatus::Running, false};

// The expected enabling written as letters, in the order: Edit (View Log, Properties, Rename),
// Delete (Copy), Start, Stop, Run Immediately, Start All, Stop All, Delete All (Select All),
// Save As. "E D S T R A O L V" with '-' for a disabled command.
QString Letters(const CommandEnabling& e)
{
    QString s;
    s += e.editTask ? 'E' : '-';
    s += e.deleteTasks ? 'D' : '-';
    s += e.start ? 'S' : '-';
    s += e.stop ? 'T' : '-';
    s += e.runImmediately ? 'R' : '-';
    s += e.startAll ? 'A' : '-';
    s += e.stopAll ? 'O' : '-';
    s += e.deleteAll ? 'L' : '-';
    s += e.saveAs ? 'V' : '-';
    return s;
}

} // namespace

class CommandEnablingTest : public QObject
{
    Q_OBJECT

private slots:
    void followsTheTable_data()
    {
        QTest::addColumn<std::vector<State>>("tasks");
        QTest::addColumn<std::vector<std::size_t>>("selected");
        QTest::addColumn<QString>("expected");

        const std::vector<State> all {kStoppedManual, kStoppedScheduled, kWaiting, kRunningManual, kRunningScheduled};
        QTest::newRow("empty list") << std::vector<State> {} << std::vector<std::size_t> {} << "---------";
        QTest::newRow("nothing selected") << all << std::vector<std::size_t> {} << "-----AOLV";
        QTest::newRow("stopped manual") << all << std::vector<std::size_t> {0} << "ED--RAOLV";
        QTest::newRow("stopped scheduled") << all << std::vector<std::size_t> {1} << "EDS-RAOLV";
        QTest::newRow("waiting") << all << std::vector<std::size_t> {2} << "ED-TRAOLV";
        QTest::newRow("running manual") << all << std::vector<std::size_t> {3} << "ED-T-AOLV";
        QTest::newRow("running scheduled") << all << std::vector<std::size_t> {4} << "ED-T-AOLV";
        QTest::newRow("two running") << all << std::vector<std::size_t> {3, 4} << "-D-T-AOLV";
        QTest::newRow("running and stopped scheduled") << all << std::vector<std::size_t> {1, 4} << "-DSTRAOLV";
        QTest::newRow("only manual stopped")
            << std::vector<State> {kStoppedManual, kStoppedManual} << std::vector<std::size_t> {0, 1} << "-D--R--LV";
        QTest::newRow("only waiting") << std::vector<State> {kWaiting} << std::vector<std::size_t> {0} << "ED-TR-OLV";
        QTest::newRow("a row past the list")
            << std::vector<State> {kWaiting} << std::vector<std::size_t> {5} << "ED----OLV";
    }

    void followsTheTable()
    {
        QFETCH(std::vector<State>, tasks);
        QFETCH(std::vector<std::size_t>, selected);
        QFETCH(QString, expected);
        QCOMPARE(Letters(CommandEnabling::compute(tasks, selected, tasks.size())), expected);
    }

    void saveAsNeedsRowsOnScreenAsWellAsTasks()
    {
        QCOMPARE(Letters(CommandEnabling::compute({kStoppedManual}, {}, 0)), QString("-------L-"));
    }
};

QTEST_MAIN(CommandEnablingTest)
#include "CommandEnablingTest.moc"
