// Runs the worker's polling loop in virtual time over more than 400 days for random schedules of
// every kind and checks it against a reference calendar built on std::chrono: the task must be
// due exactly in the minutes the schedule names, once per minute, and the next run shown must
// always be the next such minute, across month ends, leap days, year ends and a restart.
//
// Both computations depend on the current time only through its minute (shown for random tasks
// by MinuteGranularity below), and a task changes only when a run begins. So the worker's polls
// are emulated where something can happen: every due minute and the minute before it (now and
// then every 500 ms through both, else the first, a random and the last poll of each), the last
// and first minutes of every day, and random minutes a few hours apart in between, where the
// task must not be due and must show the right next run. That every due minute fired once is
// checked against the count of due minutes the reference names.
#include "schedule/ScheduleMath.h"

#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <random>

namespace kelvanto::test
{
namespace
{

namespace chr = std::chrono;
using Minutes = chr::sys_time<chr::minutes>;
using Millis = chr::sys_time<chr::milliseconds>;

TimeStamp StampOf(chr::sys_seconds time)
{
    // The calendar part is cached: consecutive polls mostly fall on the same day.
    static chr::sys_days cachedDay {chr::days {-1000000}};
    static TimeStamp cachedDate;
    const chr::sys_days day = chr::floor<chr::days>(time);
    if (day != cachedDay) {
        const chr::year_month_day date {day};
        cachedDate = TimeStamp {static_cast<int>(date.year()), static_cast<int>(static_cast<unsigned>(date.month())),
            static_cast<int>(static_cast<unsigned>(date.day())), 0, 0, 0,
            static_cast<int>(chr::weekday {day}.c_encoding()) + 1};
        cachedDay = day;
    }
    const auto seconds = (time - day).count();
    TimeStamp stamp = cachedDate;
    stamp.hour = static_cast<int>(seconds / 3600);
    stamp.minute = static_cast<int>(seconds / 60 % 60);
    stamp.second = static_cast<int>(seconds % 60);
    return stamp;
}

TimeStamp StampOfMinute(std::optional<Minutes> minute)
{
    return minute ? StampOf(chr::sys_seconds {*minute}) : TimeStamp {};
}

chr::sys_days DayOf(int year, int month, int day)
{
    return chr::sys_days {chr::year {year} / month / day};
}

// The reference: in which minutes a schedule is due, written from the calendar, not from the code.
struct Reference
{
    Schedule schedule;
    Minutes sessionStart {}; // the minute in which the current worker started

    bool DayChosen(chr::sys_days day) const
    {
        const chr::year_month_day date {day};
        switch (schedule.kind) {
        case ScheduleKind::EveryDay:
            return true;
        case ScheduleKind::EveryWeek:
            return schedule.weekDays[chr::weekday {day}.c_encoding()] != 0;
        case ScheduleKind::EveryMonth:
            return schedule.monthDays[static_cast<unsigned>(date.day()) - 1] != 0;
        case ScheduleKind::SpecialDate: {
            const auto since = (day - DayOf(schedule.specialYear, schedule.specialMonth, schedule.specialDay)).count();
            return schedule.repeatDays == 0 ? since == 0 : since >= 0 && since % schedule.repeatDays == 0;
        }
        default:
            return false;
        }
    }

    chr::minutes RunTime() const { return chr::hours {schedule.hour} + chr::minutes {schedule.minute}; }

    bool Due(Minutes minute) const
    {
        if (schedule.kind == ScheduleKind::TimeInterval) {
            const auto since = (minute - sessionStart).count();
            return since > 0 && since % schedule.intervalMinutes == 0;
        }
        const chr::sys_days day = chr::floor<chr::days>(minute);
        return minute - day == RunTime() && DayChosen(day);
    }

    // The first due minute at or after `minute`; none within the search horizon means none at all
    // for the schedules made here (every repeat is at most 1000 days).
    std::optional<Minutes> NextFrom(Minutes minute) const
    {
        if (schedule.kind == ScheduleKind::TimeInterval) {
            const long long since = std::max<long long>(1, (minute - sessionStart).count());
            const long long interval = schedule.intervalMinutes;
            return sessionStart + chr::minutes {(since + interval - 1) / interval * interval};
        }
        const chr::sys_days today = chr::floor<chr::days>(minute);
        for (int ahead = 0; ahead <= 1100; ++ahead) {
            const chr::sys_days day = today + chr::days {ahead};
            if (day + RunTime() >= minute && DayChosen(day)) {
                return day + RunTime();
            }
        }
        return std::nullopt;
    }
};

Schedule RandomSchedule(ScheduleKind kind, std::mt19937& random, chr::sys_days simulationStart)
{
    auto pick = [&random](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
    Schedule schedule;
    schedule.kind = kind;
    schedule.hour = pick(0, 23);
    schedule.minute = pick(0, 59);
    switch (kind) {
    case ScheduleKind::EveryWeek:
        for (auto& day : schedule.weekDays) {
            day = pick(0, 2) == 0;
        }
        break;
    case ScheduleKind::EveryMonth: {
        const int variant = pick(0, 3);
        if (variant == 0) {
            schedule.monthDays[30] = 1; // only the 31st
        } else if (variant == 1) {
            schedule.monthDays[28] = 1; // only the 29th: February of common years is skipped
        } else {
            for (auto& day : schedule.monthDays) {
                day = pick(0, 6) == 0;
            }
        }
        break;
    }
    case ScheduleKind::SpecialDate: {
        const chr::year_month_day date {simulationStart + chr::days {pick(-40, 120)}};
        schedule.specialYear = static_cast<int>(date.year());
        schedule.specialMonth = static_cast<int>(static_cast<unsigned>(date.month()));
        schedule.specialDay = static_cast<int>(static_cast<unsigned>(date.day()));
        const int repeats[] = {0, 1, 3, 7, 29, 31, 366, pick(2, 1000)};
        schedule.repeatDays = repeats[pick(0, 7)];
        break;
    }
    case ScheduleKind::TimeInterval: {
        // Shorter intervals are covered by the unit tests; here they would make the runs too many.
        const int intervals[] = {60, 61, 97, 1439, 1440, 1441, 9999, 99999};
        schedule.intervalMinutes = intervals[pick(0, 7)];
        schedule.hour = 0;
        schedule.minute = 0;
        break;
    }
    default:
        break;
    }
    return schedule;
}

// One simulated worker: polls every 500 ms of virtual time, runs when due, and is stopped and
// started again once on the way.
class Simulation
{
public:
    Simulation(const Schedule& schedule, std::mt19937& random)
        : m_random(random)
    {
        m_task.schedule = schedule;
        m_reference.schedule = schedule;
    }

    void Run(Millis start, Millis end, Millis stopAt, Millis restartAt)
    {
        StartWorker(start);
        Millis poll = start;
        std::optional<Minutes> lastFire;
        Minutes fullMinute {}; // a due minute polled every 500 ms, with the minute before it
        while (poll < end) {
            if (poll >= stopAt && poll < restartAt) {
                m_task.status = TaskStatus::Stopped;
                ASSERT_FALSE(IsDue(m_task, StampOf(chr::floor<chr::seconds>(poll))));
                StartWorker(restartAt);
                poll = restartAt;
                continue;
            }
            const Minutes minute = chr::floor<chr::minutes>(poll);
            const bool fired = PollOnce(poll, lastFire);
            if (testing::Test::HasFatalFailure() || (testing::Test::HasFailure() && ++m_failures > 5)) {
                return;
            }
            if (fired) {
                lastFire = minute;
                ++m_fires;
                poll += chr::seconds {Pick(0, 40)};
                m_task.status = TaskStatus::Waiting; // the run ended; a scheduled task waits again
                poll += chr::milliseconds {500};
                continue;
            }
            const Minutes next = minute + chr::minutes {1};
            // Around one due minute in ten, the due minute and the one before are polled every
            // 500 ms; in the other polled minutes, a random poll and the last one of the minute.
            if (minute != fullMinute && minute != fullMinute - chr::minutes {1} && m_reference.Due(next)
                && Pick(0, 9) == 0) {
                fullMinute = next;
            }
            if (minute == fullMinute || minute == fullMinute - chr::minutes {1}) {
                poll += chr::milliseconds {500};
                continue;
            }
            const long long stepsLeft = (Millis {next} - poll - chr::milliseconds {1}) / chr::milliseconds {500};
            if (stepsLeft > 1) {
                PollOnce(poll + Pick(1, static_cast<int>(stepsLeft) - 1) * chr::milliseconds {500}, lastFire);
            }
            if (stepsLeft > 0) {
                PollOnce(poll + stepsLeft * chr::milliseconds {500}, lastFire);
            }
            const Minutes target = NextPolledMinute(minute);
            poll += ((Millis {target} - poll + chr::milliseconds {499}) / chr::milliseconds {500})
                * chr::milliseconds {500};
        }
    }

    // Runs begun.
    long long fires() const { return m_fires; }

private:
    int Pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(m_random); }

    // The next minute to poll after `minute`: the minute before the next due minute, the due
    // minute itself, the last and first minutes of a day (the date changes), or a random minute
    // some hours on.
    Minutes NextPolledMinute(Minutes minute)
    {
        Minutes target = minute + chr::minutes {Pick(1, 360)};
        const chr::sys_days day = chr::floor<chr::days>(minute);
        const Minutes lastOfDay = day + chr::minutes {1439};
        target = std::min(target, minute < lastOfDay ? lastOfDay : minute + chr::minutes {1});
        if (!m_jumpDueKnown || (m_jumpDue && *m_jumpDue <= minute)) {
            m_jumpDue = m_reference.NextFrom(minute + chr::minutes {1});
            m_jumpDueKnown = true;
        }
        if (m_jumpDue) {
            const Minutes before = *m_jumpDue - chr::minutes {1};
            target = std::min(target, before > minute ? before : *m_jumpDue);
        }
        return target;
    }

    void StartWorker(Millis at)
    {
        m_task.status = TaskStatus::Waiting;
        m_task.startedTime = StampOf(chr::floor<chr::seconds>(at));
        m_reference.sessionStart = chr::floor<chr::minutes>(at);
        m_nextDue.reset();
        m_nextDueKnown = false;
        m_jumpDue.reset();
        m_jumpDueKnown = false;
    }

    // One turn of the worker's loop at `poll`; returns whether a run began.
    bool PollOnce(Millis poll, const std::optional<Minutes>& lastFire)
    {
        const TimeStamp now = StampOf(chr::floor<chr::seconds>(poll));
        const Minutes minute = chr::floor<chr::minutes>(poll);
        m_task.status = TaskStatus::Waiting;
        ComputeNextRun(m_task, now);
        const bool due = IsDue(m_task, now);

        // The next run shown is the first due minute from now on; the current minute counts
        // until it is over, except that an interval counts on from a run at once.
        if (!m_nextDueKnown || (m_nextDue && *m_nextDue < minute)) {
            m_nextDue = m_reference.NextFrom(minute);
            m_nextDueKnown = true;
        }
        std::optional<Minutes> expectedNext = m_nextDue;
        if (m_task.schedule.kind == ScheduleKind::TimeInterval && lastFire == minute) {
            expectedNext = m_reference.NextFrom(minute + chr::minutes {1});
        }
        EXPECT_EQ(m_task.nextRunTime, StampOfMinute(expectedNext))
            << "at " << now.year << "-" << now.month << "-" << now.day << " " << now.hour << ":" << now.minute;

        const bool expectedDue = m_reference.Due(minute) && lastFire != minute;
        EXPECT_EQ(due, expectedDue) << "at " << now.year << "-" << now.month << "-" << now.day << " " << now.hour << ":"
                                    << now.minute << ":" << now.second;
        if (!due) {
            return false;
        }
        EXPECT_EQ(m_task.nextRunTime, StampOfMinute(minute)) << "a run that was not announced";
        m_task.status = TaskStatus::Running;
        m_task.lastRunTime = now;
        m_task.runNow = 0;
        return true;
    }

    std::mt19937& m_random;
    Task m_task;
    Reference m_reference;
    std::optional<Minutes> m_nextDue;
    bool m_nextDueKnown = false;
    std::optional<Minutes> m_jumpDue;
    bool m_jumpDueKnown = false;
    long long m_fires = 0;
    int m_failures = 0;
};

// Counts the due minutes of a schedule between two times, from the reference alone.
long long ExpectedFires(const Reference& reference, Minutes from, Minutes to)
{
    long long count = 0;
    for (std::optional<Minutes> next = reference.NextFrom(from); next && *next < to;
         next = reference.NextFrom(*next + chr::minutes {1})) {
        ++count;
    }
    return count;
}

class ScheduleSimulation : public testing::TestWithParam<ScheduleKind>
{ };

TEST_P(ScheduleSimulation, DueExactlyInTheAnnouncedMinutes)
{
    const ScheduleKind kind = GetParam();
    std::mt19937 random(1000 + static_cast<unsigned>(kind));
    // Starts in the second half of years that lead into a leap day (2028, 2400) and into a
    // century year that has none (2100).
    const int eras[] = {2027, 2099, 2399};
    for (int round = 0; round < 6; ++round) {
        auto pick = [&random](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
        const chr::sys_days firstDay = DayOf(eras[round % 3], 6, 1) + chr::days {pick(0, 200)};
        const Millis start = Millis {firstDay} + chr::milliseconds {pick(0, 86400 * 1000 - 1)};
        // The stop and the end fall on whole minutes, so that every minute before them is polled.
        const Millis end = chr::floor<chr::minutes>(start + chr::days {pick(400, 430)});
        const Millis stopAt
            = chr::floor<chr::minutes>(start + chr::days {pick(150, 250)} + chr::minutes {pick(0, 1439)});
        const Millis restartAt = stopAt + chr::minutes {pick(1, 5000)} + chr::milliseconds {pick(0, 59999)};
        const Schedule schedule = RandomSchedule(kind, random, firstDay);
        SCOPED_TRACE(testing::Message() << "round " << round << ", hour " << schedule.hour << ", minute "
                                        << schedule.minute << ", repeat " << schedule.repeatDays << ", interval "
                                        << schedule.intervalMinutes);

        Simulation simulation(schedule, random);
        simulation.Run(start, end, stopAt, restartAt);
        ASSERT_FALSE(HasFailure());

        Reference reference {schedule, chr::floor<chr::minutes>(start)};
        long long expected
            = ExpectedFires(reference, chr::floor<chr::minutes>(start), chr::floor<chr::minutes>(stopAt));
        reference.sessionStart = chr::floor<chr::minutes>(restartAt);
        expected += ExpectedFires(reference, chr::floor<chr::minutes>(restartAt), chr::floor<chr::minutes>(end));
        EXPECT_EQ(simulation.fires(), expected);
    }
}

std::string KindName(const testing::TestParamInfo<ScheduleKind>& kind)
{
    static const char* const kNames[]
        = {"Manual", "EveryDay", "EveryWeek", "EveryMonth", "SpecialDate", "TimeInterval"};
    return kNames[static_cast<int>(kind.param)];
}

INSTANTIATE_TEST_SUITE_P(EveryKind, ScheduleSimulation,
    testing::Values(ScheduleKind::EveryDay, ScheduleKind::EveryWeek, ScheduleKind::EveryMonth,
        ScheduleKind::SpecialDate, ScheduleKind::TimeInterval),
    KindName);

// Whatever the task, both computations give the same answer at every second of a minute as at
// its first: this is what lets the simulation poll a quiet minute once.
TEST(MinuteGranularity, SecondsNeverChangeTheOutcome)
{
    std::mt19937 random(77);
    auto pick = [&random](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
    const chr::sys_days base = DayOf(2027, 1, 1);
    for (int i = 0; i < 1500; ++i) {
        const auto kind = static_cast<ScheduleKind>(pick(1, 5));
        Task task;
        task.status = TaskStatus::Waiting;
        task.schedule = RandomSchedule(kind, random, base + chr::days {pick(0, 400)});
        const chr::sys_seconds started = chr::sys_seconds {base} + chr::seconds {pick(0, 400 * 86400)};
        task.startedTime = StampOf(started);
        if (pick(0, 1) == 1) {
            task.lastRunTime = StampOf(started + chr::seconds {pick(0, 30 * 86400)});
        }
        // A minute near a run time or an interval boundary now and then, any minute otherwise.
        Minutes minute = chr::floor<chr::minutes>(started) + chr::minutes {pick(0, 60 * 1440)};
        if (pick(0, 1) == 1) {
            minute = chr::floor<chr::days>(minute) + chr::hours {task.schedule.hour}
                + chr::minutes {task.schedule.minute + pick(-1, 1)};
        }
        const TimeStamp first = StampOf(chr::sys_seconds {minute});
        Task atFirst = task;
        ComputeNextRun(atFirst, first);
        const bool dueAtFirst = IsDue(task, first);
        for (int second = 1; second < 60; ++second) {
            const TimeStamp now = StampOf(chr::sys_seconds {minute} + chr::seconds {second});
            Task later = task;
            ComputeNextRun(later, now);
            ASSERT_EQ(later.nextRunTime, atFirst.nextRunTime) << i << " second " << second;
            ASSERT_EQ(IsDue(task, now), dueAtFirst) << i << " second " << second;
        }
    }
}

} // namespace
} // namespace kelvanto::test
