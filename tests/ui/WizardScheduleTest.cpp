// The schedule page and its five settings dialogs, and the new-task dialog: their checks and
// messages, what they store (the fields a kind does not use zeroed), and the dialogs opened
// from the page as a user opens them. The command after a run that did not succeed: how its
// line is split into arguments and written back, and what the page stores.
#include "tests/ui/support/PageChecks.h"
#include "tests/ui/support/UiTestSupport.h"
#include "ui/wizard/CommandLine.h"
#include "ui/wizard/EveryDayDialog.h"
#include "ui/wizard/EveryMonthDialog.h"
#include "ui/wizard/EveryWeekDialog.h"
#include "ui/wizard/NewTaskDialog.h"
#include "ui/wizard/SchedulePage.h"
#include "ui/wizard/SpecialDateDialog.h"
#include "ui/wizard/TimeIntervalDialog.h"
#include "ui/wizard/WizardTexts.h"

#include <QButtonGroup>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QtTest>

#include <functional>
#include <string>
#include <utility>
#include <vector>

using namespace kelvanto;
using namespace kelvanto::test;

namespace
{

const QString kNoHour = "Please choose the hour of the run time.";
const QString kNoMinute = "Please choose the minute of the run time.";

void ChooseTime(QWidget* dialog, int hour, int minute)
{
    dialog->findChild<QListWidget*>("hours")->setCurrentRow(hour);
    dialog->findChild<QListWidget*>("minutes")->setCurrentRow(minute);
}

// Presses OK; the warning shown (empty when the dialog accepted) and the focused control.
QString PressOk(WizardHarness& harness, QDialog& dialog, QString* focus = nullptr)
{
    harness.messages.clearShown();
    dialog.setResult(QDialog::Rejected);
    dialog.accept();
    if (focus && focusOf(&dialog))
        *focus = focusOf(&dialog)->objectName();
    return dialog.result() == QDialog::Accepted ? QString() : harness.messages.lastText();
}

} // namespace

class WizardScheduleTest : public QObject
{
    Q_OBJECT

private slots:
    void pageNeedsTheChosenKindsSettings()
    {
        WizardHarness harness;
        struct Case
        {
            const char* name;
            const char* radio;
            QString message;
        };
        const Case cases[] = {
            {"manual", "manual", ""},
            {"interval of a new task", "timeInterval", ""},
            {"every day", "everyDay", wizard::kSetEveryDay},
            {"every week", "everyWeek", wizard::kSetEveryWeek},
            {"every month", "everyMonth", wizard::kSetEveryMonth},
            {"special date", "specialDate", wizard::kSetSpecialDate},
        };
        for (const Case& row : cases) {
            PageUnderTest<SchedulePage> page(harness, SheetMode::Wizard, TaskType::BackupToFiles, Task());
            tick(page.page.get(), row.radio);
            expectValidation(harness, *page, row.message, row.radio, row.name);
        }
        // A task without a kind the page knows has no radio set.
        Task odd;
        odd.schedule.kind = static_cast<ScheduleKind>(9);
        PageUnderTest<SchedulePage> none(harness, SheetMode::Edit, TaskType::BackupToFiles, odd);
        expectValidation(harness, *none, wizard::kChooseSchedule, "manual", "no kind");
        // An Every Day task switched to Time Interval has no interval (it was zeroed when stored).
        Task daily;
        daily.schedule.kind = ScheduleKind::EveryDay;
        daily.schedule.intervalMinutes = 0;
        PageUnderTest<SchedulePage> switched(harness, SheetMode::Edit, TaskType::BackupToFiles, daily);
        expectValidation(harness, *switched, "", "", "loaded every day");
        tick(switched.page.get(), "timeInterval");
        expectValidation(harness, *switched, wizard::kSetTimeInterval, "timeInterval", "zeroed interval");
        tick(switched.page.get(), "everyWeek");
        expectValidation(harness, *switched, wizard::kSetEveryWeek, "everyWeek", "no week day");
    }

    // Every argument list with a program is read back from its line as it was: the line as
    // written, and what a user types in shell quoting, read as a shell reads it.
    void commandLinesRoundTrip()
    {
        using Arguments = std::vector<std::string>;
        const std::pair<Arguments, std::string> written[] = {
            {{}, ""},
            {{"true"}, "true"},
            {{"mail", "-s", "Backup failed", "ops@example.org"}, "mail -s 'Backup failed' ops@example.org"},
            {{"echo", "", "x", ""}, "echo '' x ''"},
            {{"echo", "it's"}, "echo \"it's\""},
            {{"echo", "say \"hi\""}, "echo 'say \"hi\"'"},
            {{"echo", "it's \"x\""}, "echo 'it'\\''s \"x\"'"},
            {{"echo", "'"}, "echo \"'\""},
            {{"echo", "\\'"}, "echo '\\'\\'''"},
            {{"echo", "C:\\dir\\", "a\\b"}, "echo 'C:\\dir\\' 'a\\b'"},
            {{"echo", "$KELVANTO_TASK", "`x`"}, "echo $KELVANTO_TASK `x`"},
            {{"echo", "tab\there", "two\nlines"}, "echo 'tab\there' 'two\nlines'"},
            {{"echo",
                 "gr\xc3\xbc\xc3\x9f"
                 "e",
                 "\xe6\x97\xa5\xe6\x9c\xac \xe8\xaa\x9e"},
                "echo gr\xc3\xbc\xc3\x9f"
                "e '\xe6\x97\xa5\xe6\x9c\xac \xe8\xaa\x9e'"},
            {{"sh", "-c", "printf '%s\\n' \"$KELVANTO_LOG\" | mail -s \"$KELVANTO_TASK\" ops@example.org"},
                "sh -c 'printf '\\''%s\\n'\\'' \"$KELVANTO_LOG\" | mail -s \"$KELVANTO_TASK\" ops@example.org'"},
        };
        for (const auto& [arguments, line] : written) {
            const char* row = line.c_str();
            QVERIFY2(wizard::joinCommandLine(arguments) == line,
                qPrintable(QString::fromStdString(wizard::joinCommandLine(arguments)) + " for " + row));
            const auto read = wizard::splitCommandLine(line);
            QVERIFY2(read.ok(), row);
            QVERIFY2(*read == arguments, row);
        }
        const std::pair<std::string, Arguments> typed[] = {
            {"  \t ", {}},
            {" mail  -s \"Kelvanto failed\"\tops@example.org ", {"mail", "-s", "Kelvanto failed", "ops@example.org"}},
            {"sh -c 'echo \"$KELVANTO_TASK\"'", {"sh", "-c", "echo \"$KELVANTO_TASK\""}},
            {"a\\ b \\\"c\\'", {"a b", "\"c'"}},
            {"echo \"a\\\"b\\\\c\\d\\$e\\`f\"", {"echo", "a\"b\\c\\d$e`f"}},
            {"echo x''y \"\" p\"q r\"s", {"echo", "xy", "", "pq rs"}},
            {"echo end\\", {"echo", "end\\"}},
            {"echo #not-a-comment", {"echo", "#not-a-comment"}},
        };
        for (const auto& [line, arguments] : typed) {
            const auto read = wizard::splitCommandLine(line);
            QVERIFY2(read.ok(), line.c_str());
            QVERIFY2(*read == arguments, line.c_str());
        }
        const std::pair<std::string, const char*> refused[] = {
            {"echo 'open", wizard::kCommandOpenQuote},
            {"echo \"open", wizard::kCommandOpenQuote},
            {"echo \"a\\\"", wizard::kCommandOpenQuote},
            {"echo it's", wizard::kCommandOpenQuote},
            {"'' x", wizard::kCommandNoProgram},
        };
        for (const auto& [line, message] : refused) {
            const auto read = wizard::splitCommandLine(line);
            QVERIFY2(!read.ok(), line.c_str());
            QVERIFY2(read.error() == message, line.c_str());
        }
    }

    // A line that cannot be split is refused with the focus on it; a stored command left as it
    // was is stored again as it was, even one the page would refuse.
    void pageRefusesAnUnsplittableCommand()
    {
        WizardHarness harness;
        Task task;
        task.extras.onFailure = {"", "x"};
        PageUnderTest<SchedulePage> page(harness, SheetMode::Edit, TaskType::BackupToFiles, task);
        QCOMPARE(page->findChild<QLineEdit*>("onFailure")->text(), QString("'' x"));
        expectValidation(harness, *page, "", "", "stored as it was");
        Task saved;
        page->save(saved);
        QVERIFY(saved.extras.onFailure == task.extras.onFailure);
        const std::pair<const char*, const char*> refused[] = {
            {"mail -s 'Backup failed ops@example.org", wizard::kCommandOpenQuote},
            {"'' -s x", wizard::kCommandNoProgram},
        };
        for (const auto& [line, message] : refused) {
            type(page.page.get(), "onFailure", QString::fromUtf8(line));
            expectValidation(harness, *page, wizard::tr(message), "onFailure", line);
        }
    }

    void storingZeroesWhatTheKindDoesNotUse()
    {
        WizardHarness harness;
        Task task;
        Schedule& full = task.schedule;
        full.kind = ScheduleKind::EveryWeek;
        full.hour = 23;
        full.minute = 30;
        full.weekDays[1] = full.weekDays[5] = 1;
        full.monthDays[0] = 1;
        full.specialYear = 2027;
        full.specialMonth = 1;
        full.specialDay = 2;
        full.repeatDays = 7;
        full.intervalMinutes = 90;
        // The property sheet keeps an unchanged schedule as it is.
        PageUnderTest<SchedulePage> kept(harness, SheetMode::Edit, TaskType::BackupToFiles, task);
        Task same;
        kept->save(same);
        QCOMPARE(same.schedule, task.schedule);
        PageUnderTest<SchedulePage> page(harness, SheetMode::Wizard, TaskType::BackupToFiles, task);
        const std::pair<const char*, std::function<bool(const Schedule&)>> kinds[] = {
            {"everyWeek",
                [](const Schedule& s) {
                    return s.hour == 23 && s.weekDays[5] == 1 && s.monthDays[0] == 0 && s.specialYear == 0
                        && s.repeatDays == 0 && s.intervalMinutes == 0;
                }},
            {"everyMonth", [](const Schedule& s) { return s.monthDays[0] == 1 && s.weekDays[1] == 0; }},
            {"specialDate", [](const Schedule& s) { return s.specialDay == 2 && s.repeatDays == 7 && s.minute == 30; }},
            {"timeInterval", [](const Schedule& s) { return s.intervalMinutes == 90 && s.hour == 0 && s.minute == 0; }},
            {"manual",
                [](const Schedule& s) {
                    return s == Schedule {ScheduleKind::Manual, 0, 0, {}, {}, 0, 0, 0, 0, 0};
                }},
        };
        for (const auto& [radio, expected] : kinds) {
            tick(page.page.get(), radio);
            Task saved;
            page->save(saved);
            QVERIFY2(expected(saved.schedule), radio);
        }
    }

    void settingsDialogsFromThePage()
    {
        WizardHarness harness;
        PageUnderTest<SchedulePage> page(harness, SheetMode::Wizard, TaskType::BackupToFiles, Task());
        onNextModal([](QWidget* dialog) {
            ChooseTime(dialog, 2, 5);
            click(dialog, "wednesday");
            click(dialog, "ok");
        });
        click(page.page.get(), "everyWeekSettings");
        QVERIFY(page->findChild<QRadioButton*>("everyWeek")->isChecked());
        QCOMPARE(page->findChild<QLabel*>("scheduleDescription")->text(),
            QString("Every Week\nRun Time: 02:05\r\n\r\nDays of the week:\r\nWednesday"));
        expectValidation(harness, *page, "", "", "week set");
        // Cancel changes nothing; the run time chosen before is offered again.
        onNextModal([](QWidget* dialog) {
            QCOMPARE(dialog->findChild<QListWidget*>("hours")->currentRow(), 2);
            click(dialog, "cancel");
        });
        click(page.page.get(), "everyMonthSettings");
        QVERIFY(page->findChild<QRadioButton*>("everyWeek")->isChecked());
        onNextModal([](QWidget* dialog) {
            dialog->findChild<QLineEdit*>("intervalMinutes")->setText("15");
            click(dialog, "ok");
        });
        click(page.page.get(), "timeIntervalSettings");
        Task saved;
        page->save(saved);
        QCOMPARE(saved.schedule.kind, ScheduleKind::TimeInterval);
        QCOMPARE(saved.schedule.intervalMinutes, 15);
    }

    void runTimeDialogs()
    {
        WizardHarness harness;
        QString focus;
        EveryDayDialog day(Schedule(), false, harness.messages);
        QCOMPARE(PressOk(harness, day, &focus), kNoHour);
        QCOMPARE(focus, QString("hours"));
        day.findChild<QListWidget*>("hours")->setCurrentRow(23);
        QCOMPARE(PressOk(harness, day, &focus), kNoMinute);
        QCOMPARE(focus, QString("minutes"));
        day.findChild<QListWidget*>("minutes")->setCurrentRow(59);
        QCOMPARE(PressOk(harness, day), QString());
        QCOMPARE(day.result().hour, 23);
        QCOMPARE(day.result().minute, 59);

        EveryWeekDialog week(Schedule(), false, harness.messages);
        ChooseTime(&week, 0, 0);
        QCOMPARE(PressOk(harness, week), QString("Please choose the days of the week."));
        click(&week, "invert");
        click(&week, "sunday");
        QCOMPARE(PressOk(harness, week), QString());
        QCOMPARE(week.result().weekDays, (std::array<std::uint8_t, 7> {0, 1, 1, 1, 1, 1, 1}));
        click(&week, "deselectAll");
        QCOMPARE(PressOk(harness, week), QString("Please choose the days of the week."));

        Schedule monthly;
        monthly.hour = 6;
        monthly.minute = 15;
        monthly.monthDays[30] = 1;
        EveryMonthDialog month(monthly, true, harness.messages);
        QCOMPARE(month.findChild<QCheckBox*>("day31")->text(), QString("31st"));
        click(&month, "deselectAll");
        QCOMPARE(PressOk(harness, month), QString("Please choose the days of the month."));
        click(&month, "selectAll");
        QCOMPARE(PressOk(harness, month), QString());
        QCOMPARE(month.result().hour, 6);
        QCOMPARE(month.result().monthDays[21], std::uint8_t(1));

        for (const char* minutes : {"", "0", "00000"}) {
            TimeIntervalDialog interval(30, harness.messages);
            type(&interval, "intervalMinutes", minutes);
            QCOMPARE(PressOk(harness, interval), QString("Please input a number between 1 and 99999."));
        }
        TimeIntervalDialog interval(30, harness.messages);
        type(&interval, "intervalMinutes", "99999");
        QCOMPARE(PressOk(harness, interval), QString());
        QCOMPARE(interval.minutes(), 99999);
    }

    void specialDateDialog()
    {
        WizardHarness harness;
        Schedule stored;
        stored.specialYear = 2005;
        stored.specialMonth = 3;
        stored.specialDay = 10;
        stored.repeatDays = 3;
        SpecialDateDialog dialog(stored, false, 3, harness.messages);
        QCOMPARE(dialog.findChild<QCalendarWidget*>("calendar")->selectedDate(), QDate(2005, 3, 10));
        QCOMPARE(dialog.findChild<QLabel*>("chosenDate")->text(), QString("2005-03-10"));
        dialog.findChild<QCalendarWidget*>("calendar")->setSelectedDate(QDate(2024, 2, 29));
        QCOMPARE(dialog.findChild<QLabel*>("chosenDate")->text(), QString("2024-02-29"));
        ChooseTime(&dialog, 10, 0);
        type(&dialog, "repeatDays", "");
        QCOMPARE(PressOk(harness, dialog), QString());
        QCOMPARE(dialog.result().specialYear, 2024);
        QCOMPARE(dialog.result().specialDay, 29);
        QCOMPARE(dialog.result().repeatDays, 0);
        // Without a stored date the calendar shows today, under the date display option.
        SpecialDateDialog fresh(Schedule(), false, 1, harness.messages);
        const QDate today = QDate::currentDate();
        QCOMPARE(fresh.findChild<QCalendarWidget*>("calendar")->selectedDate(), today);
        QVERIFY(fresh.findChild<QLabel*>("chosenDate")->text().endsWith(QString::number(today.year())));
    }

    void newTaskDialog()
    {
        WizardHarness harness;
        const std::pair<const char*, TaskType> choices[] = {{"backupToFiles", TaskType::BackupToFiles},
            {"backupToServer", TaskType::BackupToServer}, {"backupToDatabase", TaskType::BackupToDatabase},
            {"restoreFromFiles", TaskType::RestoreFromFiles}, {"restoreFromServer", TaskType::RestoreFromServer},
            {"restoreFromDatabase", TaskType::RestoreFromDatabase}, {"exportTables", TaskType::ExportTables},
            {"executeScript", TaskType::ExecuteScript}};
        {
            NewTaskDialog dialog(harness.messages, harness.help);
            QVERIFY(dialog.findChild<QRadioButton*>("backupToFiles")->isChecked());
            QCOMPARE(dialog.windowTitle(), QString("Create a new task"));
        }
        for (const auto& [radio, type] : choices) {
            NewTaskDialog dialog(harness.messages, harness.help);
            tick(&dialog, radio);
            dialog.accept();
            QCOMPARE(dialog.chosenType(), type);
        }
        NewTaskDialog dialog(harness.messages, harness.help);
        for (QRadioButton* radio : dialog.findChildren<QRadioButton*>()) {
            if (QButtonGroup* group = radio->group())
                group->setExclusive(false);
            radio->setChecked(false);
        }
        click(&dialog, "help");
        QCOMPARE(PressOk(harness, dialog), QString(wizard::kChooseTaskType));
        QCOMPARE(harness.help.topics, QStringList({wizard::kChooseTaskTypeTopic}));
    }
};

QTEST_MAIN(WizardScheduleTest)
#include "WizardScheduleTest.moc"
