// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Color.h"
#include "ControlsSpy.h"
#include "DayProfiles.h"
#include "FakeClock.h"
#include "ReferenceTables.h"
#include "Tick.h"

#include <QTest>
#include <algorithm>
#include <chrono>
#include <functional>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

using namespace chimewick;
using namespace std::chrono;
using chimewick::testing::ControlsSpy;
using chimewick::testing::ReferenceSlot;
using chimewick::testing::ReferenceSlots;

namespace {

const std::string Green = std::to_string(HighlightGreen);

Instant utc(int hour, int minute, int second, unsigned d = 7) {
    return sys_days{year{2026} / December / std::chrono::day{d}} + hours{hour} + minutes{minute} +
           seconds{second};
}

// A tick over in-memory controls and a clock of the test's own, on Monday 7 December
// 2026 at 07:25:00. Every bell rung is noted as "<clock display> <button>", and in the
// controls' log as "ring <button>".
struct Rig {
    ControlsSpy controls;
    FakeClock clock{2026, 12, 7, 7, 25, 0};
    std::vector<std::string> rung;
    std::function<void(std::string_view)> onRing; // runs after a ring is noted
    Tick tick{controls, clock, [this](std::string_view button) {
                  rung.push_back(controls.memory.text("Text1") + " " + std::string(button));
                  controls.log.push_back("ring " + std::string(button));
                  if (onRing)
                      onRing(button);
              }};

    void at(int hour, int minute, int second, unsigned day = 7) {
        clock.setLocal(2026, 12, day, hour, minute, second);
    }
    // One tick a second, the first at the clock's time, for count seconds.
    void tickEverySecond(int count) {
        for (int i = 0; i < count; ++i) {
            tick();
            clock.advanceSecond();
        }
    }
    void tickAt(int hour, int minute, int second) {
        at(hour, minute, second);
        tick();
    }
    // "07:25:01 AM", or "8/07:25:01 AM" on another day of December: sets the clock so and
    // ticks.
    void tickAt(const QString& when) {
        const qsizetype slash = when.indexOf('/');
        const unsigned day = slash < 0 ? 7u : when.left(slash).toUInt();
        const QString time = when.mid(slash + 1);
        const int hour = time.left(2).toInt() % 12 + (time.endsWith("PM") ? 12 : 0);
        at(hour, time.mid(3, 2).toInt(), time.mid(6, 2).toInt(), day);
        tick();
    }
    bool isGreen(std::string_view box) const {
        return controls.memory.backColor(box) == HighlightGreen;
    }
    void set(std::string_view check, int value) { controls.memory.setCheckValue(check, value); }
    void set(std::string_view box, std::string_view text) { controls.memory.setText(box, text); }
    // "name=value" into a check box or a time box, as the operator would.
    void set(const QStringList& settings) {
        for (const QString& setting : settings) {
            const std::string name = setting.section('=', 0, 0).toStdString();
            const QString value = setting.section('=', 1);
            if (findControl(name).kind == ControlKind::CheckBox)
                set(name, value.toInt());
            else
                set(name, value.toStdString());
        }
    }
    QString shown() const { return QString::fromStdString(controls.memory.text("Text1")); }
};

constexpr int Day = 24 * 60 * 60;

} // namespace

class TestTick : public QObject {
    Q_OBJECT

private slots:
    void needsAWayToRingBells() {
        MemoryControls controls;
        FakeClock clock(2026, 12, 7, 7, 25, 0);
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, Tick(controls, clock, Tick::RingBell{}));
    }

    void theClockDisplayIsEmptyUntilTheFirstTick() {
        Rig rig;
        QVERIFY(rig.controls.log.empty()); // making the tick touches no control
        QCOMPARE(rig.controls.memory.text("Text1"), std::string());
        rig.tick();
        QCOMPARE(rig.controls.memory.text("Text1"), std::string("07:25:00 AM"));
        rig.clock.advanceSecond();
        rig.tick();
        QCOMPARE(rig.controls.memory.text("Text1"), std::string("07:25:01 AM"));
    }

    // One tick, operation by operation: the display first, then every slot in table
    // order; a slot that is off has only its check box read; a slot that is on has its
    // time box read, and rings and turns green when it matches. (Whether the display is
    // read back once or once a slot is left open: nothing writes it in between.)
    void aTickVisitsTheSlotsInTableOrder() {
        Rig rig;
        rig.at(7, 25, 1);
        rig.tick();
        std::vector<std::string> expected{"setText Text1 07:25:01 AM"};
        for (const ReferenceSlot& slot : ReferenceSlots) {
            expected.push_back("checkValue " + std::string(slot.checkBox));
            if (!slot.checked)
                continue;
            expected.push_back("text " + std::string(slot.timeBox));
            if (std::string_view(slot.timeBox) == "T1") {
                expected.push_back("ring Command23");
                expected.push_back("setBackColor T1 " + Green);
            }
        }
        std::vector<std::string> seen;
        for (const std::string& entry : rig.controls.log)
            if (entry != "text Text1")
                seen.push_back(entry);
        QCOMPARE(seen, expected);
        // The display is read only after it was written.
        const auto firstRead =
            std::find(rig.controls.log.begin(), rig.controls.log.end(), "text Text1");
        QVERIFY(firstRead == rig.controls.log.end() || firstRead != rig.controls.log.begin());
    }

    void schoolStartRingsAtItsSecond() {
        Rig rig;
        QVERIFY(!rig.isGreen("T1"));
        rig.tickEverySecond(2); // 07:25:00 and 07:25:01
        QCOMPARE(rig.rung, std::vector<std::string>{"07:25:01 AM Command23"});
        QVERIFY(rig.isGreen("T1"));
        // "Arrenge Bell 1" is off at start: silent at 07:26:01.
        rig.tickAt(7, 26, 1);
        QCOMPARE(rig.rung.size(), std::size_t{1});
        QVERIFY(!rig.isGreen("T2"));
    }

    // With every slot ticked, each rings once, but for the four that hold "00:00:00 AM",
    // a text that no clock shows. (The built-in timetable's day is the school day's.)
    void aDayWithEverySlotOn() {
        Rig rig;
        rig.controls.logReads = false;
        for (const ReferenceSlot& slot : ReferenceSlots)
            rig.set(slot.checkBox, 1);
        rig.at(0, 0, 0);
        rig.tickEverySecond(Day);
        // In the order of their times: the morning first, and in each half of the day the
        // hour "12" first.
        std::multimap<std::string, std::string> due;
        for (const ReferenceSlot& slot : ReferenceSlots) {
            const std::string time = slot.time;
            if (time == "00:00:00 AM")
                continue;
            const std::string hour = time.starts_with("12") ? "00" : time.substr(0, 2);
            due.emplace(time.substr(9) + hour + time.substr(2, 6), time + " " + slot.bellButton);
        }
        std::vector<std::string> expected;
        for (const auto& [when, ring] : due)
            expected.push_back(ring);
        QCOMPARE(expected.size(), std::size_t{20});
        QCOMPARE(rig.rung, expected);
        for (const char* never : {"T3", "T4", "Text4", "T5"})
            QVERIFY2(!rig.isGreen(never), never);
        for (const ReferenceSlot& slot : ReferenceSlots) {
            const std::string_view box = slot.timeBox;
            if (box != "T3" && box != "T4" && box != "Text4" && box != "T5")
                QVERIFY2(rig.isGreen(box), slot.timeBox);
        }
        QCOMPARE(rig.controls.memory.text("Text1"), std::string("11:59:59 PM"));
        // The tick writes only the display and the colour of the boxes that rang (the
        // log's other entries are the rings themselves).
        QCOMPARE(rig.controls.writes().size(), std::size_t{Day} + 2 * expected.size());
        QCOMPARE(rig.controls.logOf("setText Text1 ").size(), std::size_t{Day});
        QCOMPARE(rig.controls.logOf("setBackColor ").size(), expected.size());
        QCOMPARE(rig.controls.logOf("ring ").size(), expected.size());
        for (const std::string& entry : rig.controls.logOf("setBackColor "))
            QVERIFY2(entry.ends_with(" " + Green), entry.c_str());
    }

    void aSlotThatIsOffNeverRings() {
        Rig rig;
        rig.set("C1", 0);
        rig.tickEverySecond(3);
        QVERIFY(rig.rung.empty());
        QVERIFY(!rig.isGreen("T1"));
    }

    // On means a check value of exactly 1; the window never holds another, but a
    // toolkit that reported one would not ring the slot.
    void onlyACheckValueOfOneIsOn() {
        struct OddValues : ControlsSpy {
            int checkValue(std::string_view box) const override {
                const int value = ControlsSpy::checkValue(box);
                return box == "C1" ? 2 : box == "C2" ? -1 : value;
            }
        } controls;
        FakeClock clock(2026, 12, 7, 7, 25, 1);
        std::vector<std::string> rung;
        controls.memory.setCheckValue("C2", 1);
        controls.memory.setText("T2", "07:25:01 AM");
        Tick tick(controls, clock, [&](std::string_view button) { rung.emplace_back(button); });
        tick();
        QVERIFY(rung.empty());
        QCOMPARE(controls.memory.backColor("T1"), std::optional<Color>(rgb(255, 255, 255)));
    }

    // The hour 12 and the designator must match the clock text's. Slot 1 is ticked at
    // start.
    void theHourAndTheDesignatorMustMatch_data() {
        QTest::addColumn<QString>("slotTime");
        QTest::addColumn<QString>("clock");
        QTest::addColumn<bool>("rings");
        QTest::newRow("half past midnight") << "12:30:00 AM"
                                            << "12:30:00 AM" << true;
        QTest::newRow("half past midnight as 00") << "00:30:00 AM"
                                                  << "12:30:00 AM" << false;
        QTest::newRow("half past noon at half past midnight") << "12:30:00 PM"
                                                              << "12:30:00 AM" << false;
        QTest::newRow("half past noon") << "12:30:00 PM"
                                        << "12:30:00 PM" << true;
        QTest::newRow("half past midnight at half past noon") << "12:30:00 AM"
                                                              << "12:30:00 PM" << false;
        QTest::newRow("PM in the morning") << "07:25:01 PM"
                                           << "07:25:01 AM" << false;
        QTest::newRow("PM in the evening") << "07:25:01 PM"
                                           << "07:25:01 PM" << true;
    }

    void theHourAndTheDesignatorMustMatch() {
        QFETCH(QString, slotTime);
        QFETCH(QString, clock);
        QFETCH(bool, rings);
        Rig rig;
        rig.set("T1", slotTime.toStdString());
        rig.tickAt(clock);
        QCOMPARE(rig.shown(), clock);
        QCOMPARE(rig.rung, rings ? std::vector<std::string>{clock.toStdString() + " Command23"}
                                 : std::vector<std::string>{});
        QCOMPARE(rig.controls.memory.backColor("T1"),
                 std::optional<Color>(rings ? HighlightGreen : rgb(255, 255, 255)));
    }

    void onlyTheExactTextRings_data() {
        QTest::addColumn<QString>("time");
        QTest::newRow("one-digit hour") << QStringLiteral("7:25:01 AM");
        QTest::newRow("lower-case designator") << QStringLiteral("07:25:01 am");
        QTest::newRow("mixed-case designator") << QStringLiteral("07:25:01 Am");
        QTest::newRow("leading blank") << QStringLiteral(" 07:25:01 AM");
        QTest::newRow("trailing blank") << QStringLiteral("07:25:01 AM ");
        QTest::newRow("dot separator") << QStringLiteral("07.25.01 AM");
        QTest::newRow("no blank before designator") << QStringLiteral("07:25:01AM");
        QTest::newRow("24-hour form") << QStringLiteral("07:25:01");
        QTest::newRow("hour 00") << QStringLiteral("00:00:00 AM");
        QTest::newRow("empty") << QString();
        QTest::newRow("line break") << QStringLiteral("07:25:01 AM\n");
    }

    // Ticked at every second that a looser comparison could take the text for.
    void onlyTheExactTextRings() {
        QFETCH(QString, time);
        Rig rig;
        for (const ReferenceSlot& slot : ReferenceSlots)
            rig.set(slot.checkBox, 0);
        rig.set("C1", 1);
        rig.set("T1", time.toStdString());
        for (int hour : {0, 7, 12, 19}) {
            rig.at(hour, hour % 12 == 7 ? 25 : 0, hour % 12 == 7 ? 1 : 0);
            rig.tickEverySecond(3);
        }
        QVERIFY(rig.rung.empty());
        QVERIFY(!rig.isGreen("T1"));
    }

    // Slots of one second all ring in table order, each turning its own box green; the
    // later bell is the one heard. A ring is "<bell button> <time box>".
    void slotsOfTheSameSecondRingInTableOrder_data() {
        QTest::addColumn<QStringList>("settings");
        QTest::addColumn<QString>("clock");
        QTest::addColumn<QStringList>("rings");
        QTest::newRow("slot 1, and slots 2 and 16 of one bell")
            << QStringList{"Check7=1", "Text9=07:25:01 AM", "C2=1", "T2=07:25:01 AM"}
            << "07:25:01 AM" << QStringList{"Command23 T1", "Command20 T2", "Command20 Text9"};
        QTest::newRow("arrange bell 2 and morning gatha")
            << QStringList{"Text6=07:29:54 AM"} << "07:29:54 AM"
            << QStringList{"Command24 Text7", "cmd2 Text6"};
        QTest::newRow("both teaching starts")
            << QStringList{"Check1=1", "Check3=1", "Text5=08:00:01 AM"} << "08:00:01 AM"
            << QStringList{"Command10 Text3", "Command10 Text5"};
        QTest::newRow("short interval before short bell")
            << QStringList{"csi=1", "Text10=10:48:20 AM"} << "10:48:20 AM"
            << QStringList{"Command14 Text10", "Command20 Text9"};
        QTest::newRow("three in a row")
            << QStringList{"Text8=10:48:20 AM", "T10=10:48:20 AM"} << "10:48:20 AM"
            << QStringList{"Command20 Text9", "Command21 Text8", "Command15 T10"};
        QTest::newRow("green time last")
            << QStringList{"chkgt=1", "txtgt=07:25:01 AM"} << "07:25:01 AM"
            << QStringList{"Command23 T1", "cmdgt txtgt"};
    }

    void slotsOfTheSameSecondRingInTableOrder() {
        QFETCH(QStringList, settings);
        QFETCH(QString, clock);
        QFETCH(QStringList, rings);
        Rig rig;
        rig.set(settings);
        rig.tickAt(clock);
        std::vector<std::string> rung;
        std::vector<std::string> effects{"setText Text1 " + clock.toStdString()};
        for (const QString& ring : rings) {
            const std::string button = ring.section(' ', 0, 0).toStdString();
            rung.push_back(clock.toStdString() + " " + button);
            effects.push_back("ring " + button);
            effects.push_back("setBackColor " + ring.section(' ', 1).toStdString() + " " + Green);
        }
        QCOMPARE(rig.rung, rung);
        QCOMPARE(rig.controls.writes(), effects);
    }

    // The two teaching-start slots share a bell; each turns its own box green.
    void twoSlotsOfOneBellRingAtTheirOwnTimes() {
        Rig rig;
        rig.set("Check1", 1);
        rig.set("Check3", 1);
        rig.tickAt(7, 50, 1);
        QCOMPARE(rig.rung, std::vector<std::string>{"07:50:01 AM Command10"});
        QVERIFY(rig.isGreen("Text5"));
        QVERIFY(!rig.isGreen("Text3"));
        rig.tickAt(8, 0, 1);
        QCOMPARE(rig.rung,
                 (std::vector<std::string>{"07:50:01 AM Command10", "08:00:01 AM Command10"}));
        QVERIFY(rig.isGreen("Text3"));
    }

    void typingIntoTheDisplayNeitherRingsNorSilences() {
        Rig rig;
        rig.set("T1", "07:25:05 AM");
        rig.set("Text1", "07:25:05 AM");
        rig.tickAt(7, 25, 4);
        QVERIFY(rig.rung.empty());
        QCOMPARE(rig.controls.memory.text("Text1"), std::string("07:25:04 AM"));
        rig.set("Text1", "lunch");
        rig.clock.advanceSecond();
        rig.tick();
        QCOMPARE(rig.rung, std::vector<std::string>{"07:25:05 AM Command23"});
    }

    void editsTakeEffectAtTheNextTick() {
        Rig rig;
        rig.tickAt(7, 25, 0);
        rig.set("C1", 0);
        rig.set("C2", 1);
        rig.set("T2", "07:25:02 AM");
        rig.clock.advanceSecond();
        rig.tickEverySecond(2); // 07:25:01 and 07:25:02
        QCOMPARE(rig.rung, std::vector<std::string>{"07:25:02 AM Command20"});
        QVERIFY(!rig.isGreen("T1"));
        QVERIFY(rig.isGreen("T2"));
    }

    void aSlotTickedAfterItsTimeWaitsForTheNextDay() {
        Rig rig;
        for (const ReferenceSlot& slot : ReferenceSlots)
            rig.set(slot.checkBox, 0);
        rig.tickEverySecond(3); // 07:25:00 to 07:25:02
        rig.set("C1", 1);
        rig.tickEverySecond(5 * 60);
        rig.at(23, 59, 50);
        rig.tickEverySecond(20); // through midnight
        QVERIFY(rig.rung.empty());
        rig.at(7, 25, 0, 8);
        rig.tickEverySecond(2);
        QCOMPARE(rig.rung, std::vector<std::string>{"07:25:01 AM Command23"});
        QCOMPARE(rig.clock.localNow().weekday(), 3); // rung on the Tuesday
    }

    // Slot 11 ("Periad 2", T6) rings at 08:30:01; its box stays green whatever follows,
    // and ringing again sets the green again. "Command22" in `after` applies that button's
    // day profile; "name=value" sets a box as the operator would.
    void aGreenBoxStaysGreen_data() {
        QTest::addColumn<QStringList>("after");
        QTest::addColumn<QString>("nextTick");
        QTest::addColumn<int>("rings");
        QTest::newRow("unticked when its new time comes")
            << QStringList{"C6=0", "T6=08:30:05 AM"} << "08:30:05 AM" << 1;
        QTest::newRow("time edited") << QStringList{"T6=08:31:00 AM"} << "08:30:05 AM" << 1;
        QTest::newRow("every day profile applied")
            << QStringList{"Command22", "Command1", "Command6", "Command2", "Command3", "Command4"}
            << "08:30:05 AM" << 1;
        QTest::newRow("unticked, ticked again and rung at its new time")
            << QStringList{"C6=0", "T6=08:30:05 AM", "C6=1"} << "08:30:05 AM" << 2;
        QTest::newRow("rung again the next day") << QStringList{} << "8/08:30:01 AM" << 2;
    }

    void aGreenBoxStaysGreen() {
        QFETCH(QStringList, after);
        QFETCH(QString, nextTick);
        QFETCH(int, rings);
        Rig rig;
        rig.tickAt("08:30:01 AM");
        QVERIFY(rig.isGreen("T6"));
        for (const QString& step : after) {
            if (step.contains('='))
                rig.set(QStringList{step});
            else
                applyProfile(dayProfileOfButton(step.toStdString()), rig.controls);
        }
        rig.tickAt(nextTick);
        QVERIFY(rig.isGreen("T6"));
        QCOMPARE(rig.rung.size(), std::size_t(rings));
        QCOMPARE(rig.controls.logOf("setBackColor T6 ").size(), std::size_t(rings));
    }

    // --- a timer that fires late, early or not at all ---

    void twoTicksInOneSecondRingOnce() {
        Rig rig;
        rig.tickAt(7, 25, 1);
        rig.tick();
        QCOMPARE(rig.rung, std::vector<std::string>{"07:25:01 AM Command23"});
        // The display is written by both ticks.
        QCOMPARE(
            rig.controls.logOf("setText Text1 "),
            (std::vector<std::string>{"setText Text1 07:25:01 AM", "setText Text1 07:25:01 AM"}));
        QCOMPARE(rig.controls.logOf("setBackColor ").size(), std::size_t{1});
    }

    void missedSecondsAreHandledInOrder() {
        Rig rig;
        rig.tickAt(7, 24, 58);
        rig.at(7, 25, 3);
        rig.tick();
        QCOMPARE(rig.rung, std::vector<std::string>{"07:25:01 AM Command23"});
        QCOMPARE(
            rig.controls.logOf("setText Text1 "),
            (std::vector<std::string>{"setText Text1 07:24:58 AM", "setText Text1 07:24:59 AM",
                                      "setText Text1 07:25:00 AM", "setText Text1 07:25:01 AM",
                                      "setText Text1 07:25:02 AM", "setText Text1 07:25:03 AM"}));
        QCOMPARE(rig.controls.memory.text("Text1"), std::string("07:25:03 AM"));
    }

    void aGapOfAMinuteIsCaughtUp() {
        Rig rig;
        rig.tickAt(7, 24, 5);
        rig.at(7, 25, 5); // 60 seconds on
        rig.tick();
        QCOMPARE(rig.rung, std::vector<std::string>{"07:25:01 AM Command23"});
        QCOMPARE(rig.controls.memory.text("Text1"), std::string("07:25:05 AM"));
    }

    void aLongerGapHandlesOnlyTheCurrentSecond() {
        Rig rig;
        rig.tickAt(7, 24, 4);
        rig.at(7, 25, 5); // 61 seconds on: no burst of old bells
        rig.tick();
        QVERIFY(rig.rung.empty());
        QCOMPARE(
            rig.controls.logOf("setText Text1 "),
            (std::vector<std::string>{"setText Text1 07:24:04 AM", "setText Text1 07:25:05 AM"}));
        // The current second itself is handled.
        Rig other;
        other.tickAt(7, 24, 0);
        other.tickAt(7, 25, 1);
        QCOMPARE(other.rung, std::vector<std::string>{"07:25:01 AM Command23"});
    }

    void theFirstTickCatchesUpNothing() {
        Rig rig;
        rig.tickAt(7, 25, 2);
        QVERIFY(rig.rung.empty());
        QCOMPARE(rig.controls.logOf("setText Text1 "),
                 std::vector<std::string>{"setText Text1 07:25:02 AM"});
    }

    void aClockSetBackRingsNoBellTwice() {
        Rig rig;
        rig.tickAt(7, 25, 1);
        rig.at(7, 20, 0);
        rig.tickEverySecond(6 * 60);
        QCOMPARE(rig.rung, std::vector<std::string>{"07:25:01 AM Command23"});
        // The display follows the clock all the same.
        QCOMPARE(rig.controls.memory.text("Text1"), std::string("07:25:59 AM"));
        QCOMPARE(rig.controls.logOf("setText Text1 ").size(), std::size_t{1 + 6 * 60});
    }

    // The clock stalled or set back and forward: slot 1, due at 07:25:01 AM, rings once a
    // day, and the display always shows the current second. Each tick is "hh:mm:ss AM" on
    // 7 December, or "d/hh:mm:ss AM" on day d.
    void aClockSteppedOrStalledRingsOnceADay_data() {
        QTest::addColumn<QStringList>("ticks");
        QTest::addColumn<int>("rings");
        QTest::newRow("a stall ending on the bell's second")
            << QStringList{"07:24:50 AM", "07:25:01 AM"} << 1;
        QTest::newRow("set back into a stall over the rung bell")
            << QStringList{"07:25:01 AM", "07:25:03 AM", "07:24:50 AM", "07:25:10 AM"} << 1;
        QTest::newRow("set back onto the bell's second")
            << QStringList{"07:25:01 AM", "07:25:03 AM", "07:25:01 AM"} << 1;
        QTest::newRow("set back an hour and forward again")
            << QStringList{"07:25:01 AM", "06:25:01 AM", "07:25:01 AM"} << 1;
        QTest::newRow("set back before a bell not yet rung")
            << QStringList{"07:26:00 AM", "07:25:00 AM", "07:25:01 AM"} << 1;
        QTest::newRow("set back three days, two ticks in the bell's second")
            << QStringList{"10/07:25:01 AM", "07:25:01 AM", "07:25:01 AM"} << 2;
        QTest::newRow("set back three days, then ticks up to the bell")
            << QStringList{"10/07:25:01 AM", "07:24:59 AM", "07:25:00 AM",
                           "07:25:01 AM",    "07:25:01 AM", "07:25:02 AM"}
            << 2;
        QTest::newRow("the next day")
            << QStringList{"07:25:01 AM", "8/07:25:00 AM", "8/07:25:01 AM"} << 2;
    }

    void aClockSteppedOrStalledRingsOnceADay() {
        QFETCH(QStringList, ticks);
        QFETCH(int, rings);
        Rig rig;
        for (const QString& tick : ticks) {
            rig.tickAt(tick);
            QCOMPARE(rig.shown(), tick.section('/', -1));
        }
        QCOMPARE(rig.rung.size(), std::size_t(rings));
        for (const std::string& ring : rig.rung)
            QCOMPARE(ring, std::string("07:25:01 AM Command23"));
    }

    // Seconds caught up are handled in order of time, each against its own clock text.
    void caughtUpSecondsRingInOrder_data() {
        QTest::addColumn<QStringList>("settings");
        QTest::addColumn<QStringList>("ticks");
        QTest::addColumn<QStringList>("rung");
        QTest::newRow("a later slot due first")
            << QStringList{"Text6=07:25:00 AM"} << QStringList{"07:24:55 AM", "07:25:03 AM"}
            << QStringList{"07:25:00 AM cmd2", "07:25:01 AM Command23"};
        QTest::newRow("three bells in one stall")
            << QStringList{"C2=1", "T2=07:29:58 AM"} << QStringList{"07:29:50 AM", "07:30:05 AM"}
            << QStringList{"07:29:54 AM Command24", "07:29:58 AM Command20", "07:30:01 AM cmd2"};
    }

    void caughtUpSecondsRingInOrder() {
        QFETCH(QStringList, settings);
        QFETCH(QStringList, ticks);
        QFETCH(QStringList, rung);
        Rig rig;
        rig.set(settings);
        for (const QString& tick : ticks)
            rig.tickAt(tick);
        std::vector<std::string> expected;
        for (const QString& ring : rung)
            expected.push_back(ring.toStdString());
        QCOMPARE(rig.rung, expected);
        QCOMPARE(rig.shown(), ticks.last());
    }

    // Seconds are counted on the system clock, so a change of the local offset moves
    // the texts shown, not the seconds handled.
    void theHourSkippedInSpringRingsNothing() {
        Rig rig;
        rig.clock.setUtcOffsetFrom(utc(0, 0, 0, 1), hours{1});
        rig.clock.setUtcOffsetFrom(utc(1, 0, 0), hours{2}); // 01:59:59 is followed by 03:00:00
        rig.set("T1", "02:30:00 AM");
        rig.set("C2", 1);
        rig.set("T2", "03:00:00 AM");
        rig.clock.set(utc(0, 0, 0));
        rig.controls.logReads = false;
        rig.tickEverySecond(2 * 60 * 60);
        QCOMPARE(rig.rung, std::vector<std::string>{"03:00:00 AM Command20"});
        QVERIFY(!rig.isGreen("T1"));
        // No second was shown twice and none caught up in a burst.
        QCOMPARE(rig.controls.logOf("setText Text1 ").size(), std::size_t{2 * 60 * 60});
    }

    void theHourRepeatedInAutumnRingsTwice() {
        Rig rig;
        rig.clock.setUtcOffsetFrom(utc(0, 0, 0, 1), hours{2});
        rig.clock.setUtcOffsetFrom(utc(1, 0, 0), hours{1}); // 02:59:59 is followed by 02:00:00
        rig.set("T1", "02:30:00 AM");
        rig.clock.set(utc(0, 0, 0));
        rig.controls.logReads = false;
        rig.tickEverySecond(2 * 60 * 60);
        QCOMPARE(rig.rung,
                 (std::vector<std::string>{"02:30:00 AM Command23", "02:30:00 AM Command23"}));
    }

    // A stall across the change catches up the seconds on both sides of it, each compared
    // with the local time of its own moment.
    void aStallAcrossTheSpringChangeCatchesUpBothSides() {
        Rig rig;
        rig.clock.setUtcOffsetFrom(utc(2, 0, 0), hours{1}); // 01:59:59 is followed by 03:00:00
        rig.set("T1", "01:59:59 AM");
        rig.set("C2", 1);
        rig.set("T2", "03:00:00 AM");
        rig.clock.set(utc(1, 59, 58));
        rig.tick();
        rig.clock.set(utc(2, 0, 1));
        rig.tick();
        QCOMPARE(rig.rung,
                 (std::vector<std::string>{"01:59:59 AM Command23", "03:00:00 AM Command20"}));
        QCOMPARE(rig.shown(), QStringLiteral("03:00:01 AM"));
    }

    // --- failures ---

    void aFailingBellEndsTheTickThere() {
        Rig rig;
        rig.set("C2", 1);
        rig.set("T2", "07:25:01 AM");
        rig.onRing = [](std::string_view button) {
            if (button == "Command23")
                throw std::runtime_error("the player is gone");
        };
        rig.at(7, 25, 1);
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, rig.tick());
        QCOMPARE(rig.rung, std::vector<std::string>{"07:25:01 AM Command23"});
        QVERIFY(!rig.isGreen("T1")); // the rest of the slot is skipped
        QVERIFY(!rig.isGreen("T2")); // and so are the later slots
        QCOMPARE(rig.controls.log.back(), std::string("ring Command23"));
    }

    void theTickAfterAFailureGoesOn() {
        Rig rig;
        rig.set("C2", 1);
        rig.set("T2", "07:25:02 AM");
        rig.onRing = [](std::string_view button) {
            if (button == "Command23")
                throw std::runtime_error("the player is gone");
        };
        rig.at(7, 25, 1);
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, rig.tick());
        rig.tick(); // the same second again: it was handled, nothing rings twice
        rig.clock.advanceSecond();
        rig.tick();
        QCOMPARE(rig.rung,
                 (std::vector<std::string>{"07:25:01 AM Command23", "07:25:02 AM Command20"}));
        QVERIFY(rig.isGreen("T2"));
    }

    void aFailureDuringCatchUpResumesAfterTheFailedSecond() {
        Rig rig;
        rig.set("C2", 1);
        rig.set("T2", "07:25:03 AM");
        rig.onRing = [](std::string_view button) {
            if (button == "Command23")
                throw std::runtime_error("the player is gone");
        };
        rig.tickAt(7, 24, 59);
        rig.at(7, 25, 4);
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, rig.tick());
        QCOMPARE(rig.controls.memory.text("Text1"), std::string("07:25:01 AM"));
        rig.tick(); // same clock: handles 07:25:02 to 07:25:04
        QCOMPARE(rig.rung,
                 (std::vector<std::string>{"07:25:01 AM Command23", "07:25:03 AM Command20"}));
        QCOMPARE(rig.controls.memory.text("Text1"), std::string("07:25:04 AM"));
    }

    void aFailingColourEndsTheTick() {
        Rig rig;
        rig.set("C2", 1);
        rig.set("T2", "07:25:01 AM");
        rig.controls.failOn("setBackColor T1");
        rig.at(7, 25, 1);
        QVERIFY_THROWS_EXCEPTION(ControlError, rig.tick());
        QCOMPARE(rig.rung, std::vector<std::string>{"07:25:01 AM Command23"});
        QVERIFY(!rig.isGreen("T1"));
        QVERIFY(!rig.isGreen("T2"));
    }

    void aFailingDisplayEndsTheTickBeforeAnySlot() {
        Rig rig;
        rig.controls.failOn("setText Text1");
        rig.at(7, 25, 1);
        QVERIFY_THROWS_EXCEPTION(ControlError, rig.tick());
        QVERIFY(rig.rung.empty());
        QVERIFY(rig.controls.logOf("checkValue ").empty());
    }

    void aFailingReadEndsTheTick() {
        Rig rig;
        rig.controls.failOn("checkValue C7"); // slot 12, after slot 1 rang
        rig.at(7, 25, 1);
        QVERIFY_THROWS_EXCEPTION(ControlError, rig.tick());
        QCOMPARE(rig.rung, std::vector<std::string>{"07:25:01 AM Command23"});
        QVERIFY(rig.isGreen("T1"));
        QCOMPARE(rig.controls.log.back(), std::string("checkValue C7"));
    }
};

QTEST_APPLESS_MAIN(TestTick)
#include "tst_tick.moc"
