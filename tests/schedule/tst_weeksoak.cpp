// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

// A school week of the bell engine on simulated time. The engine runs with its controls
// in memory and a fake clock from Monday 2026-03-23 06:00 to the Monday after, driven by
// a timer that behaves like a real one on a busy computer: mostly every 1000 ms, now and
// then late by up to 5 s, twice in one second, stalled for 3 s, asleep for 2 hours, with
// its clock stepped back and forward, and through the change to summer time on Sunday.
// Every bell of the week is checked on its own, and every day's number of rings is
// checked against a count made by hand from the timetable.

#include "Controls.h"
#include "Engine.h"
#include "FakeClock.h"
#include "ForwardingControls.h"
#include "MemoryControls.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTest>
#include <algorithm>
#include <chrono>
#include <cstddef>
#include <random>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

using namespace std::chrono;
using namespace std::chrono_literals;
using chimewick::Engine;
using chimewick::FakeClock;
using chimewick::MemoryControls;

namespace {

using Millis = sys_time<milliseconds>;

const std::string Folder = "/srv/chimewick";

// ---------------------------------------------------------------------------------------
// The school's time zone, of the test's making: UTC+1 in winter; from 01:00 UTC on Sunday
// 2026-03-29 on, UTC+2, local clocks jumping from 02:00 straight to 03:00.

constexpr seconds Winter = 1h;
constexpr seconds Summer = 2h;
const sys_seconds SummerFrom = sys_days{2026y / March / 29} + 1h;

seconds offsetAt(sys_seconds utc) {
    return utc < SummerFrom ? Winter : Summer;
}

// The UTC moment of a local time of the week. Only for times that exist: the hour from
// 02:00 on Sunday is skipped and has no moment.
sys_seconds utcOf(unsigned dayOfMarch, int hour, int minute, int second) {
    const sys_seconds local =
        sys_days{2026y / March / day{dayOfMarch}} + hours{hour} + minutes{minute} + seconds{second};
    const sys_seconds inWinter = local - Winter;
    return inWinter < SummerFrom ? inWinter : local - Summer;
}

unsigned localDayOfMarch(sys_seconds utc) {
    const year_month_day date{floor<days>(utc + offsetAt(utc))};
    return static_cast<unsigned>(date.day());
}

// "07:29:54 AM" read back into a moment of the given day (the test's own reading).
sys_seconds dueMoment(unsigned dayOfMarch, const QString& clockText) {
    const int hour12 = clockText.mid(0, 2).toInt();
    const int hour24 = hour12 % 12 + (clockText.endsWith(QLatin1String("PM")) ? 12 : 0);
    return utcOf(dayOfMarch, hour24, clockText.mid(3, 2).toInt(), clockText.mid(6, 2).toInt());
}

QString utcText(sys_seconds utc) {
    const auto day = floor<days>(utc);
    const year_month_day date{day};
    const hh_mm_ss<seconds> time{utc - day};
    return QString::asprintf("%04d-%02u-%02u %02ld:%02ld:%02ld", static_cast<int>(date.year()),
                             static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                             static_cast<long>(time.hours().count()),
                             static_cast<long>(time.minutes().count()),
                             static_cast<long>(time.seconds().count()));
}

// ---------------------------------------------------------------------------------------
// The controls in memory, with a log of every bell handed to the player.

struct Ring {
    sys_seconds at;    // the fake clock when the player got the path
    std::string shown; // the clock display then: the second the tick was handling
    std::string path;
};

QString fileOf(const std::string& path) {
    // The folder, one separator, then the recording's name.
    if (path.size() <= Folder.size() + 1 || path.compare(0, Folder.size(), Folder) != 0)
        return QStringLiteral("<not in the program folder: %1>").arg(QString::fromStdString(path));
    return QString::fromStdString(path.substr(Folder.size() + 1));
}

class RecordingControls : public chimewick::ForwardingControls {
public:
    RecordingControls(MemoryControls& inner, const FakeClock& clock)
        : ForwardingControls(inner), clock_(clock) {}

    void setText(std::string_view box, std::string_view text) override {
        ForwardingControls::setText(box, text);
        if (watchDisplay && box == "Text1")
            displayed.emplace_back(
                QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
    }
    void setPlayerUrl(std::string_view player, std::string_view path) override {
        ForwardingControls::setPlayerUrl(player, path);
        rings.push_back({clock_.now(), inner_.text("Text1"), std::string(path)});
    }

    std::vector<Ring> rings;
    bool watchDisplay = false;
    QStringList displayed; // every text written into the clock display while watched

private:
    const FakeClock& clock_;
};

// ---------------------------------------------------------------------------------------
// The timer. It runs on a monotonic time line, as a real timer does, and the wall clock
// that the engine reads is that line plus an offset that only clock steps change. A tick
// due at a moment fires then, or late; after a late tick the timer keeps its rhythm (the
// next tick is the first one of the old rhythm after it), and after a stall or a sleep the
// overdue tick fires at once, as a timer's event waits for the event loop.
//
// Ticking all 604800 seconds of the week handles each of them with some 60 control
// operations and takes tens of seconds in a debug build. So the timer is awake, ticking
// every second, only in the stretches the test names (around every time of the bell
// table and every disturbance); between them it sleeps, which the tick's rules allow: a
// gap of more than a minute handles only its last second, and no slot is due while it
// sleeps, so the skipped seconds could have rung nothing. CHIMEWICK_FULL_WEEK=1 keeps it
// awake all week; the assertions are the same.

enum class Jitter { On, Off };

class SchoolTimer {
public:
    SchoolTimer(FakeClock& clock, Engine& engine, Millis start)
        : clock_(clock), engine_(engine), mono_(start), nextDue_(start) {}

    Millis wall() const { return mono_ + wallOffset_; }

    // Awake from `from` to `to` on the wall clock. Without any stretch, awake all the time.
    void stayAwake(Millis from, Millis to) {
        awake_.push_back({from, to});
        std::sort(awake_.begin(), awake_.end());
    }

    // Ticks until the wall clock shows `until`. With jitter, one tick in 20 comes late,
    // by 1 ms to 5 s, never past `until`.
    void tickUntil(Millis until, Jitter jitter = Jitter::On) {
        const Millis end = until - wallOffset_;
        while (nextDue_ <= end) {
            const Millis dueWall = nextDue_ + wallOffset_;
            if (const Millis wake = nextWake(dueWall); wake != dueWall) {
                skipTo(wake == Millis::max() ? end + 1ms : std::min(wake - wallOffset_, end + 1ms));
                continue;
            }
            Millis fire = nextDue_;
            if (jitter == Jitter::On && late_(random_))
                fire = std::min(fire + milliseconds{lateness_(random_)}, end);
            skipTo(fire + 1ms);
            fireAt(fire);
        }
        mono_ = std::max(mono_, end);
    }

    // No tick for a while; then the overdue tick fires at once.
    void stall(milliseconds length) {
        mono_ += length;
        skipTo(mono_ + 1ms);
        fireAt(mono_);
    }

    // One tick more, `after` from now, outside the timer's rhythm and before its next tick.
    bool extraTick(milliseconds after) {
        if (mono_ + after >= nextDue_)
            return false;
        fireAt(mono_ + after);
        return true;
    }

    // The computer's clock is set; the timer runs on.
    void stepClock(seconds by) {
        wallOffset_ += by;
        clock_.set(floor<seconds>(wall()));
    }

    sys_seconds lastTickSecond() const { return lastTickSecond_; }
    long ticks() const { return ticks_; }

private:
    // The first moment from `wall` on at which the timer is awake.
    Millis nextWake(Millis wallMoment) const {
        if (awake_.empty())
            return wallMoment;
        Millis wake = Millis::max();
        for (const auto& [from, to] : awake_) {
            if (wallMoment >= from && wallMoment <= to)
                return wallMoment;
            if (from > wallMoment)
                wake = std::min(wake, from);
        }
        return wake;
    }

    // The next tick of the rhythm at or after `monoMoment`.
    void skipTo(Millis monoMoment) {
        if (nextDue_ < monoMoment)
            nextDue_ += ((monoMoment - nextDue_ + 999ms) / 1000ms) * 1000ms;
    }

    void fireAt(Millis at) {
        mono_ = at;
        lastTickSecond_ = floor<seconds>(wall());
        clock_.set(lastTickSecond_);
        engine_.run("Timer1_Timer");
        ++ticks_;
    }

    FakeClock& clock_;
    Engine& engine_;
    std::mt19937 random_{20260323};
    std::bernoulli_distribution late_{1.0 / 20};
    std::uniform_int_distribution<int> lateness_{1, 5000};
    Millis mono_;
    Millis nextDue_;
    milliseconds wallOffset_{0};
    std::vector<std::pair<Millis, Millis>> awake_;
    sys_seconds lastTickSecond_{};
    long ticks_ = 0;
};

// A wall-clock moment of the week, local time, to the millisecond.
Millis at(unsigned dayOfMarch, int hour, int minute, int second, int millis = 0) {
    return Millis{utcOf(dayOfMarch, hour, minute, second)} + milliseconds{millis};
}

// ---------------------------------------------------------------------------------------
// The week, bell by bell, written by hand from the slot table and the profiles.
//
// Monday 23: start-up applies "Monday Thursday" (Check1 on, Check3 off).
// Tuesday 24, 06:45: the operator clicks "Tuesday Wednesday" (Check1 off, Check3 on).
// Wednesday 25, noon: the operator clicks "3.30 PM Day". It switches on csi, C6, C7, C9,
//     C14, C15, off C8, Check7, Check6, C10 to C13, and writes the times
//     Text5 07:45:01 AM, Text10 10:00:01 AM, T6 10:15:01 AM, T7 01:30:01 PM,
//     T8 10:16:01 AM, T9 01:00:01 PM, T10 11:22:01 AM, T11 12:09:01 PM, T12 12:56:01 PM,
//     T13 01:43:01 PM, T14 03:25:01 PM, T15 03:27:01 PM.
// Thursday 26, 06:45: the operator clicks "Monday Thursday" (Check1 on, Check3 off); the
//     afternoon times of "3.30 PM Day" stay.
// Friday 27, 06:45: the operator clicks "Fryday" (Check1 off, Check3 on).
// Saturday 28, 20:00: the operator ticks C3 and writes "02:30:01 AM" into T3 (slot
//     "Sarera Suwatha"), a time that does not exist on Sunday: the clocks go from
//     01:59:59 AM to 03:00:00 AM, so the text is never shown and the slot does not ring.
//     (Where an hour repeats instead, its bell rings twice: see daylightSavingHour.)
// The start-up selection is not repeated at midnight, so Saturday and Sunday ring
// Friday's timetable.
//
// What disturbs the timer:
// Monday:    asleep from 08:45:00 to 10:45:00: a gap of two hours, so "Periad 3"
//            09:10:01, "Periad 4" 09:50:01 and "Interval" 10:30:01 do not ring.
// Tuesday:   at 09:05:00 the clock is set 10 minutes forward, a gap of 600 s over
//            "Periad 3" 09:10:01, which does not ring. Right after "Interval" rang at
//            10:30:01 the clock is set 30 s back: 10:30:01 is shown again, no second ring.
// Wednesday: a 3-second stall from 07:29:53.6 to 07:29:56.6 over "Start Bell 2"
//            07:29:54: the tick at 07:29:56 catches up and rings it, 2 s late.
// Thursday:  two ticks in the second 08:00:01 of "Teaching Start": it rings once.
// Sunday:    summer time at 02:00 local.
// All week:  one tick in 20 late by up to 5 s, from a seeded generator.

enum Outcome { Rings, Silent };

struct DueBell {
    unsigned day; // of March 2026
    const char* time;
    const char* file;
    Outcome outcome;
    int lag; // seconds after its time that it must ring; -1: anything from 0 to 60
    const char* note;
};

// clang-format off
const DueBell Week[] = {
    // Monday 23, "Monday Thursday" over the built-in times.
    {23, "07:25:01 AM", "BellStart.wma",       Rings,  -1, "School Start"},
    {23, "07:26:01 AM", "sb.wma",              Silent, -1, "Arrenge Bell 1 is off"},
    {23, "07:29:54 AM", "BellStart2.wma",      Rings,  -1, "Arrenge Bell 2"},
    {23, "07:30:01 AM", "mpoojawa.wma",        Rings,  -1, "Morning Gatha"},
    {23, "07:50:01 AM", "teachingstart.wma",   Silent, -1, "Teaching Start is off on Monday"},
    {23, "08:00:01 AM", "teachingstart.wma",   Rings,  -1, "Teaching Start (M/T)"},
    {23, "08:30:01 AM", "period2.wma",         Rings,  -1, "Periad 2"},
    {23, "08:35:01 AM", "interwal.wma",        Silent, -1, "Short Interwal is off"},
    {23, "09:10:01 AM", "period3.wma",         Silent, -1, "Periad 3, asleep"},
    {23, "09:50:01 AM", "period4.wma",         Silent, -1, "Periad 4, asleep"},
    {23, "10:30:01 AM", "interwal.wma",        Silent, -1, "Interwal Start, asleep"},
    {23, "10:48:20 AM", "sb.wma",              Rings,  -1, "Short Bell"},
    {23, "10:48:30 AM", "hodamalamaya.wma",    Rings,  -1, "Hodama Lamay."},
    {23, "10:50:15 AM", "period5.wma",         Rings,  -1, "Periad 5"},
    {23, "11:30:01 AM", "period6.wma",         Rings,  -1, "Periad 6"},
    {23, "12:10:01 PM", "period7.wma",         Rings,  -1, "Periad 7"},
    {23, "12:50:01 PM", "period8.wma",         Rings,  -1, "Periad 8"},
    {23, "01:25:01 PM", "gt.wma",              Silent, -1, "Green Time is off"},
    {23, "01:27:01 PM", "end.wma",             Rings,  -1, "End Bell"},
    {23, "01:28:01 PM", "cm.wma",              Rings,  -1, "End Gatha"},
    // Tuesday 24, "Tuesday Wednesday".
    {24, "07:25:01 AM", "BellStart.wma",       Rings,  -1, "School Start"},
    {24, "07:29:54 AM", "BellStart2.wma",      Rings,  -1, "Arrenge Bell 2"},
    {24, "07:30:01 AM", "mpoojawa.wma",        Rings,  -1, "Morning Gatha"},
    {24, "07:50:01 AM", "teachingstart.wma",   Rings,  -1, "Teaching Start"},
    {24, "08:00:01 AM", "teachingstart.wma",   Silent, -1, "Teaching Start (M/T) is off"},
    {24, "08:30:01 AM", "period2.wma",         Rings,  -1, "Periad 2"},
    {24, "09:10:01 AM", "period3.wma",         Silent, -1, "Periad 3, clock set forward"},
    {24, "09:50:01 AM", "period4.wma",         Rings,  -1, "Periad 4"},
    {24, "10:30:01 AM", "interwal.wma",        Rings,   0, "Interwal Start, then set back"},
    {24, "10:48:20 AM", "sb.wma",              Rings,  -1, "Short Bell"},
    {24, "10:48:30 AM", "hodamalamaya.wma",    Rings,  -1, "Hodama Lamay."},
    {24, "10:50:15 AM", "period5.wma",         Rings,  -1, "Periad 5"},
    {24, "11:30:01 AM", "period6.wma",         Rings,  -1, "Periad 6"},
    {24, "12:10:01 PM", "period7.wma",         Rings,  -1, "Periad 7"},
    {24, "12:50:01 PM", "period8.wma",         Rings,  -1, "Periad 8"},
    {24, "01:27:01 PM", "end.wma",             Rings,  -1, "End Bell"},
    {24, "01:28:01 PM", "cm.wma",              Rings,  -1, "End Gatha"},
    // Wednesday 25, "Tuesday Wednesday" until noon, then "3.30 PM Day".
    {25, "07:25:01 AM", "BellStart.wma",       Rings,  -1, "School Start"},
    {25, "07:29:54 AM", "BellStart2.wma",      Rings,   2, "Arrenge Bell 2, stalled"},
    {25, "07:30:01 AM", "mpoojawa.wma",        Rings,  -1, "Morning Gatha"},
    {25, "07:50:01 AM", "teachingstart.wma",   Rings,  -1, "Teaching Start"},
    {25, "08:30:01 AM", "period2.wma",         Rings,  -1, "Periad 2"},
    {25, "09:10:01 AM", "period3.wma",         Rings,  -1, "Periad 3"},
    {25, "09:50:01 AM", "period4.wma",         Rings,  -1, "Periad 4"},
    {25, "10:30:01 AM", "interwal.wma",        Rings,  -1, "Interwal Start"},
    {25, "10:48:20 AM", "sb.wma",              Rings,  -1, "Short Bell"},
    {25, "10:48:30 AM", "hodamalamaya.wma",    Rings,  -1, "Hodama Lamay."},
    {25, "10:50:15 AM", "period5.wma",         Rings,  -1, "Periad 5"},
    {25, "11:30:01 AM", "period6.wma",         Rings,  -1, "Periad 6"},
    {25, "12:09:01 PM", "period6.wma",         Silent, -1, "Periad 6 switched off"},
    {25, "12:10:01 PM", "period7.wma",         Silent, -1, "Periad 7 switched off"},
    {25, "12:50:01 PM", "period8.wma",         Silent, -1, "Periad 8 switched off"},
    {25, "12:56:01 PM", "period7.wma",         Silent, -1, "Periad 7 switched off"},
    {25, "01:00:01 PM", "interwal.wma",        Rings,  -1, "Interwal Start, moved"},
    {25, "01:27:01 PM", "end.wma",             Silent, -1, "End Bell, moved"},
    {25, "01:28:01 PM", "cm.wma",              Silent, -1, "End Gatha, moved"},
    {25, "01:30:01 PM", "period3.wma",         Rings,  -1, "Periad 3, moved"},
    {25, "01:43:01 PM", "period8.wma",         Silent, -1, "Periad 8 switched off"},
    {25, "03:25:01 PM", "end.wma",             Rings,  -1, "End Bell, moved"},
    {25, "03:27:01 PM", "cm.wma",              Rings,  -1, "End Gatha, moved"},
    // Thursday 26, "3.30 PM Day" with "Monday Thursday".
    {26, "07:25:01 AM", "BellStart.wma",       Rings,  -1, "School Start"},
    {26, "07:29:54 AM", "BellStart2.wma",      Rings,  -1, "Arrenge Bell 2"},
    {26, "07:30:01 AM", "mpoojawa.wma",        Rings,  -1, "Morning Gatha"},
    {26, "07:45:01 AM", "teachingstart.wma",   Silent, -1, "Teaching Start is off on Thursday"},
    {26, "08:00:01 AM", "teachingstart.wma",   Rings,   0, "Teaching Start (M/T), two ticks"},
    {26, "08:30:01 AM", "period2.wma",         Silent, -1, "Periad 2, moved"},
    {26, "09:10:01 AM", "period3.wma",         Silent, -1, "Periad 3, moved"},
    {26, "10:00:01 AM", "interwal.wma",        Rings,  -1, "Short Interwal"},
    {26, "10:15:01 AM", "period2.wma",         Rings,  -1, "Periad 2"},
    {26, "10:16:01 AM", "period4.wma",         Silent, -1, "Periad 4 is off"},
    {26, "10:30:01 AM", "interwal.wma",        Silent, -1, "Interwal Start, moved"},
    {26, "10:48:20 AM", "sb.wma",              Silent, -1, "Short Bell is off"},
    {26, "11:22:01 AM", "period5.wma",         Silent, -1, "Periad 5 is off"},
    {26, "01:00:01 PM", "interwal.wma",        Rings,  -1, "Interwal Start"},
    {26, "01:30:01 PM", "period3.wma",         Rings,  -1, "Periad 3"},
    {26, "03:25:01 PM", "end.wma",             Rings,  -1, "End Bell"},
    {26, "03:27:01 PM", "cm.wma",              Rings,  -1, "End Gatha"},
    // Friday 27, "3.30 PM Day" with "Fryday".
    {27, "07:25:01 AM", "BellStart.wma",       Rings,  -1, "School Start"},
    {27, "07:29:54 AM", "BellStart2.wma",      Rings,  -1, "Arrenge Bell 2"},
    {27, "07:30:01 AM", "mpoojawa.wma",        Rings,  -1, "Morning Gatha"},
    {27, "07:45:01 AM", "teachingstart.wma",   Rings,  -1, "Teaching Start"},
    {27, "08:00:01 AM", "teachingstart.wma",   Silent, -1, "Teaching Start (M/T) is off"},
    {27, "10:00:01 AM", "interwal.wma",        Rings,  -1, "Short Interwal"},
    {27, "10:15:01 AM", "period2.wma",         Rings,  -1, "Periad 2"},
    {27, "01:00:01 PM", "interwal.wma",        Rings,  -1, "Interwal Start"},
    {27, "01:30:01 PM", "period3.wma",         Rings,  -1, "Periad 3"},
    {27, "03:25:01 PM", "end.wma",             Rings,  -1, "End Bell"},
    {27, "03:27:01 PM", "cm.wma",              Rings,  -1, "End Gatha"},
    // Saturday 28: Friday's timetable rings on.
    {28, "07:25:01 AM", "BellStart.wma",       Rings,  -1, "School Start"},
    {28, "07:29:54 AM", "BellStart2.wma",      Rings,  -1, "Arrenge Bell 2"},
    {28, "07:30:01 AM", "mpoojawa.wma",        Rings,  -1, "Morning Gatha"},
    {28, "07:45:01 AM", "teachingstart.wma",   Rings,  -1, "Teaching Start"},
    {28, "10:00:01 AM", "interwal.wma",        Rings,  -1, "Short Interwal"},
    {28, "10:15:01 AM", "period2.wma",         Rings,  -1, "Periad 2"},
    {28, "01:00:01 PM", "interwal.wma",        Rings,  -1, "Interwal Start"},
    {28, "01:30:01 PM", "period3.wma",         Rings,  -1, "Periad 3"},
    {28, "03:25:01 PM", "end.wma",             Rings,  -1, "End Bell"},
    {28, "03:27:01 PM", "cm.wma",              Rings,  -1, "End Gatha"},
    // Sunday 29, summer time from 02:00 local: the skipped hour holds "Sarera Suwatha".
    {29, "07:25:01 AM", "BellStart.wma",       Rings,  -1, "School Start"},
    {29, "07:29:54 AM", "BellStart2.wma",      Rings,  -1, "Arrenge Bell 2"},
    {29, "07:30:01 AM", "mpoojawa.wma",        Rings,  -1, "Morning Gatha"},
    {29, "07:45:01 AM", "teachingstart.wma",   Rings,  -1, "Teaching Start"},
    {29, "10:00:01 AM", "interwal.wma",        Rings,  -1, "Short Interwal"},
    {29, "10:15:01 AM", "period2.wma",         Rings,  -1, "Periad 2"},
    {29, "01:00:01 PM", "interwal.wma",        Rings,  -1, "Interwal Start"},
    {29, "01:30:01 PM", "period3.wma",         Rings,  -1, "Periad 3"},
    {29, "03:25:01 PM", "end.wma",             Rings,  -1, "End Bell"},
    {29, "03:27:01 PM", "cm.wma",              Rings,  -1, "End Gatha"},
};
// clang-format on

bool matches(const Ring& ring, unsigned dayOfMarch, const QString& time, const QString& file) {
    return localDayOfMarch(ring.at) == dayOfMarch && QString::fromStdString(ring.shown) == time &&
           fileOf(ring.path) == file;
}

} // namespace

class WeekSoak : public QObject {
    Q_OBJECT

private:
    MemoryControls memory_;
    // Set to Monday 06:00 local once the school's time zone is in place.
    FakeClock clock_{2026, 3, 23, 0, 0, 0};
    RecordingControls controls_{memory_, clock_};
    QStringList aroundSummerTime_;
    QStringList aroundStepBack_;

private slots:
    void initTestCase();
    void dueBellRingsOnceUnlessInAGap_data();
    void dueBellRingsOnceUnlessInAGap();
    void everyRingWasDue();
    void ringsPerDay_data();
    void ringsPerDay();
    void greenAfterTheWeek_data();
    void greenAfterTheWeek();
    void clockShownAcrossSummerTime();
    void clockShownAgainAfterSteppingBack();
    void daylightSavingHour_data();
    void daylightSavingHour();
};

void WeekSoak::initTestCase() {
    clock_.setUtcOffsetFrom(sys_days{2026y / January / 1}, Winter);
    clock_.setUtcOffsetFrom(SummerFrom, Summer);

    Engine engine(controls_, clock_, [] { return Folder; });
    SchoolTimer timer(clock_, engine, at(23, 6, 0, 0, 437));
    if (!qEnvironmentVariableIsSet("CHIMEWICK_FULL_WEEK")) {
        // Two minutes either side of every time in the table (a bell rings within a minute
        // of its time, late), of every disturbance, and of the change to summer time.
        const auto around = [&](Millis moment) { timer.stayAwake(moment - 2min, moment + 2min); };
        for (const DueBell& bell : Week)
            around(Millis{dueMoment(bell.day, QString::fromLatin1(bell.time))});
        around(at(23, 6, 0, 0));
        around(at(23, 8, 45, 0));
        around(at(23, 10, 45, 0));
        around(at(24, 9, 5, 0));
        around(at(24, 9, 15, 0));
        around(at(25, 12, 0, 0));
        around(at(28, 20, 0, 0));
        around(at(29, 1, 59, 0));
        around(at(29, 3, 1, 0));
    }
    const auto started = steady_clock::now();

    // Monday.
    clock_.set(floor<seconds>(timer.wall()));
    engine.run("Form_Load");
    timer.tickUntil(at(23, 8, 45, 0));
    timer.stall(2h);
    QCOMPARE(utcText(timer.lastTickSecond()), utcText(utcOf(23, 10, 45, 0)));

    // Tuesday.
    timer.tickUntil(at(24, 6, 45, 0));
    engine.run("Command3_Click");
    timer.tickUntil(at(24, 9, 5, 0));
    timer.stepClock(10min);
    timer.tickUntil(at(24, 10, 30, 1, 500));
    QVERIFY(!controls_.rings.empty());
    QCOMPARE(fileOf(controls_.rings.back().path), QStringLiteral("interwal.wma"));
    QCOMPARE(utcText(controls_.rings.back().at), utcText(utcOf(24, 10, 30, 1)));
    controls_.watchDisplay = true;
    timer.stepClock(-30s);
    timer.tickUntil(at(24, 10, 30, 5), Jitter::Off);
    controls_.watchDisplay = false;
    aroundStepBack_ = controls_.displayed;
    controls_.displayed.clear();

    // Wednesday.
    timer.tickUntil(at(25, 7, 29, 53, 600));
    QCOMPARE(utcText(timer.lastTickSecond()), utcText(utcOf(25, 7, 29, 53)));
    timer.stall(3s);
    QCOMPARE(utcText(timer.lastTickSecond()), utcText(utcOf(25, 7, 29, 56)));
    timer.tickUntil(at(25, 12, 0, 0));
    engine.run("Command22_Click");

    // Thursday.
    timer.tickUntil(at(26, 6, 45, 0));
    engine.run("Command2_Click");
    timer.tickUntil(at(26, 8, 0, 1, 500));
    QCOMPARE(utcText(timer.lastTickSecond()), utcText(utcOf(26, 8, 0, 1)));
    QVERIFY(timer.extraTick(300ms));
    QCOMPARE(utcText(timer.lastTickSecond()), utcText(utcOf(26, 8, 0, 1)));

    // Friday.
    timer.tickUntil(at(27, 6, 45, 0));
    engine.run("Command4_Click");

    // Saturday.
    timer.tickUntil(at(28, 20, 0, 0));
    memory_.setCheckValue("C3", 1);
    memory_.setText("T3", "02:30:01 AM");

    // Sunday.
    timer.tickUntil(at(29, 1, 59, 55, 500));
    controls_.watchDisplay = true;
    timer.tickUntil(at(29, 3, 0, 5), Jitter::Off);
    controls_.watchDisplay = false;
    aroundSummerTime_ = controls_.displayed;
    timer.tickUntil(at(30, 0, 0, 0));

    const auto took = duration_cast<milliseconds>(steady_clock::now() - started);
    const auto late =
        std::count_if(controls_.rings.begin(), controls_.rings.end(), [](const Ring& ring) {
            return ring.at !=
                   dueMoment(localDayOfMarch(ring.at), QString::fromStdString(ring.shown));
        });
    qInfo("The week took %lld ms: %ld ticks, %zu rings, %td of them late.",
          static_cast<long long>(took.count()), timer.ticks(), controls_.rings.size(), late);
}

void WeekSoak::dueBellRingsOnceUnlessInAGap_data() {
    QTest::addColumn<unsigned>("dayOfMarch");
    QTest::addColumn<QString>("time");
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("rings");
    QTest::addColumn<int>("lag");
    for (const DueBell& bell : Week)
        QTest::addRow("%u %s %s", bell.day, bell.time, bell.note)
            << bell.day << QString::fromLatin1(bell.time) << QString::fromLatin1(bell.file)
            << (bell.outcome == Rings) << bell.lag;
}

void WeekSoak::dueBellRingsOnceUnlessInAGap() {
    QFETCH(unsigned, dayOfMarch);
    QFETCH(QString, time);
    QFETCH(QString, file);
    QFETCH(bool, rings);
    QFETCH(int, lag);

    std::vector<const Ring*> found;
    for (const Ring& ring : controls_.rings)
        if (matches(ring, dayOfMarch, time, file))
            found.push_back(&ring);

    if (!rings) {
        QCOMPARE(found.size(), std::size_t{0});
        return;
    }
    QCOMPARE(found.size(), std::size_t{1});
    const auto late = (found.front()->at - dueMoment(dayOfMarch, time)).count();
    if (lag >= 0) {
        QCOMPARE(late, static_cast<seconds::rep>(lag));
    } else {
        QVERIFY2(late >= 0 && late <= 60, qPrintable(QStringLiteral("%1 s late").arg(late)));
    }
}

void WeekSoak::everyRingWasDue() {
    for (const Ring& ring : controls_.rings) {
        const auto isDue = [&](const DueBell& bell) {
            return bell.outcome == Rings && matches(ring, bell.day, QString::fromLatin1(bell.time),
                                                    QString::fromLatin1(bell.file));
        };
        QVERIFY2(std::any_of(std::begin(Week), std::end(Week), isDue),
                 qPrintable(QStringLiteral("unexpected ring at %1 UTC showing %2: %3")
                                .arg(utcText(ring.at), QString::fromStdString(ring.shown),
                                     QString::fromStdString(ring.path))));
    }
}

void WeekSoak::ringsPerDay_data() {
    QTest::addColumn<unsigned>("dayOfMarch");
    QTest::addColumn<int>("expected");

    // Built-in slots on at start: 1, 3, 4, 11, 12, 13, 14, 16, 17, 18, 19, 20, 21, 22, 23
    // = 15. "Monday Thursday" adds slot 9, "Tuesday Wednesday" and "Fryday" slot 10: 16.
    // "3.30 PM Day" leaves on 1, 3, 4 (untouched), switches on 11, 12, 14, 15, 22, 23 and
    // off 13, 16 to 21; with one teaching-start slot that is 3 + 6 + 1 = 10.
    //
    // Monday:    16 on, minus Periad 3, Periad 4 and Interval lost asleep: 16 - 3 = 13.
    // Tuesday:   16 on, minus Periad 3 lost to the clock set forward:     16 - 1 = 15.
    // Wednesday: 12 due before noon (slots 1, 3, 4, 10, 11 to 14, 16 to 19), then of the
    //            10 on after "3.30 PM Day" 4 are due after noon (01:00:01 PM, 01:30:01 PM,
    //            03:25:01 PM, 03:27:01 PM):                              12 + 4 = 16.
    // Thursday:  10 on ("Monday Thursday"):                                        10.
    // Friday:    10 on ("Fryday"):                                                 10.
    // Saturday:  Friday's 10:                                                      10.
    // Sunday:    Friday's 10, plus slot 5 at 02:30:01 AM, an hour that is skipped:
    //            11 on, 11 - 1 = 10.
    // The week:  13 + 15 + 16 + 10 + 10 + 10 + 10 = 84.
    QTest::newRow("Monday") << 23u << 13;
    QTest::newRow("Tuesday") << 24u << 15;
    QTest::newRow("Wednesday") << 25u << 16;
    QTest::newRow("Thursday") << 26u << 10;
    QTest::newRow("Friday") << 27u << 10;
    QTest::newRow("Saturday") << 28u << 10;
    QTest::newRow("Sunday") << 29u << 10;
    QTest::newRow("the week") << 0u << 84;
}

void WeekSoak::ringsPerDay() {
    QFETCH(unsigned, dayOfMarch);
    QFETCH(int, expected);
    const auto onThatDay = [&](const Ring& ring) {
        return dayOfMarch == 0 || localDayOfMarch(ring.at) == dayOfMarch;
    };
    QCOMPARE(std::count_if(controls_.rings.begin(), controls_.rings.end(), onThatDay),
             static_cast<std::ptrdiff_t>(expected));
}

void WeekSoak::greenAfterTheWeek_data() {
    QTest::addColumn<QString>("timeBox");
    QTest::addColumn<bool>("green");
    QTest::newRow("T1, School Start, rang every day") << QStringLiteral("T1") << true;
    QTest::newRow("T2, Arrenge Bell 1, never on") << QStringLiteral("T2") << false;
    QTest::newRow("T3, Sarera Suwatha, in the skipped hour") << QStringLiteral("T3") << false;
    QTest::newRow("Text3, Teaching Start (M/T), rang Monday") << QStringLiteral("Text3") << true;
    QTest::newRow("T8, Periad 4, rang Tuesday") << QStringLiteral("T8") << true;
    QTest::newRow("Text10, Short Interwal, rang from Thursday") << QStringLiteral("Text10") << true;
    QTest::newRow("T12, Periad 7, rang Monday, then off") << QStringLiteral("T12") << true;
    QTest::newRow("txtgt, Green Time, never on") << QStringLiteral("txtgt") << false;
}

void WeekSoak::greenAfterTheWeek() {
    QFETCH(QString, timeBox);
    QFETCH(bool, green);
    QCOMPARE(memory_.backColor(timeBox.toStdString()) == chimewick::Color{0x00FF00}, green);
}

void WeekSoak::clockShownAcrossSummerTime() {
    // One tick a second from 01:59:55.5: every UTC second is shown once, and the local
    // clock goes from 01:59:59 AM straight to 03:00:00 AM, neither a burst nor a gap.
    const QStringList expected{QStringLiteral("01:59:56 AM"), QStringLiteral("01:59:57 AM"),
                               QStringLiteral("01:59:58 AM"), QStringLiteral("01:59:59 AM"),
                               QStringLiteral("03:00:00 AM"), QStringLiteral("03:00:01 AM"),
                               QStringLiteral("03:00:02 AM"), QStringLiteral("03:00:03 AM"),
                               QStringLiteral("03:00:04 AM")};
    QCOMPARE(aroundSummerTime_, expected);
}

void WeekSoak::clockShownAgainAfterSteppingBack() {
    // Set back from 10:30:01.5 to 10:29:31.5 on Tuesday: the display runs through
    // 10:30:01 AM a second time, and the bell did not ring again (see the table).
    QVERIFY(aroundStepBack_.size() >= 2);
    QCOMPARE(aroundStepBack_.front(), QStringLiteral("10:29:32 AM"));
    QCOMPARE(aroundStepBack_.count(QStringLiteral("10:30:01 AM")), 1);
    QCOMPARE(aroundStepBack_.back(), QStringLiteral("10:30:04 AM"));
    QCOMPARE(aroundStepBack_.size(), 33);
}

void WeekSoak::daylightSavingHour_data() {
    QTest::addColumn<unsigned>("changeMonth");
    QTest::addColumn<unsigned>("changeDay"); // 2026, at 01:00 UTC
    QTest::addColumn<int>("offsetBeforeHours");
    QTest::addColumn<int>("offsetAfterHours");
    QTest::addColumn<QStringList>("rings"); // UTC moment, clock text shown, recording

    // The four spare slots hold times about the local hour from 02:00, one each:
    // T3 "01:59:59 AM" (cmd3), T4 "02:30:01 AM" (cmd4), Text4 "02:00:00 AM" (Command5),
    // T5 "03:00:00 AM" (cmd1).
    //
    // Spring, 29 March, UTC+1 to UTC+2: local 02:00:00 to 02:59:59 never shows, so the two
    // slots in that hour do not ring; 01:59:59 AM is 00:59:59 UTC, 03:00:00 AM 01:00:00 UTC.
    QTest::newRow("spring forward: the skipped hour rings nothing")
        << 3u << 29u << 1 << 2
        << QStringList{QStringLiteral("2026-03-29 00:59:59 01:59:59 AM Shareera Suwatha 2.wav"),
                       QStringLiteral("2026-03-29 01:00:00 03:00:00 AM bell.mp3")};
    // Autumn, 25 October, UTC+2 to UTC+1: local 02:00:00 to 02:59:59 shows twice, an hour
    // apart, and a slot in it rings each time the clock shows its text.
    QTest::newRow("fall back: the repeated hour rings twice")
        << 10u << 25u << 2 << 1
        << QStringList{QStringLiteral("2026-10-24 23:59:59 01:59:59 AM Shareera Suwatha 2.wav"),
                       QStringLiteral("2026-10-25 00:00:00 02:00:00 AM Jathika Geeya Half.wma"),
                       QStringLiteral("2026-10-25 00:30:01 02:30:01 AM Jathika Geeya.mp3"),
                       QStringLiteral("2026-10-25 01:00:00 02:00:00 AM Jathika Geeya Half.wma"),
                       QStringLiteral("2026-10-25 01:30:01 02:30:01 AM Jathika Geeya.mp3"),
                       QStringLiteral("2026-10-25 02:00:00 03:00:00 AM bell.mp3")};
}

void WeekSoak::daylightSavingHour() {
    QFETCH(unsigned, changeMonth);
    QFETCH(unsigned, changeDay);
    QFETCH(int, offsetBeforeHours);
    QFETCH(int, offsetAfterHours);
    QFETCH(QStringList, rings);

    const sys_seconds change = sys_days{2026y / month{changeMonth} / day{changeDay}} + 1h;
    MemoryControls memory;
    FakeClock clock{2026, 1, 1, 0, 0, 0};
    clock.setUtcOffsetFrom(sys_days{2026y / January / 1}, hours{offsetBeforeHours});
    clock.setUtcOffsetFrom(change, hours{offsetAfterHours});
    RecordingControls controls{memory, clock};
    Engine engine(controls, clock, [] { return Folder; });
    for (const auto& [box, time] :
         {std::pair{"T3", "01:59:59 AM"}, std::pair{"T4", "02:30:01 AM"},
          std::pair{"Text4", "02:00:00 AM"}, std::pair{"T5", "03:00:00 AM"}})
        memory.setText(box, time);
    for (const char* box : {"C3", "C4", "Check2", "C5"})
        memory.setCheckValue(box, 1);

    // Every second from 65 minutes before the change to 65 minutes after it.
    for (sys_seconds s = change - 65min; s <= change + 65min; s += 1s) {
        clock.set(s);
        engine.run("Timer1_Timer");
    }

    QStringList rang;
    for (const Ring& ring : controls.rings)
        rang << QStringLiteral("%1 %2 %3")
                    .arg(utcText(ring.at), QString::fromStdString(ring.shown), fileOf(ring.path));
    QCOMPARE(rang, rings);
}

QTEST_GUILESS_MAIN(WeekSoak)
#include "tst_weeksoak.moc"
