#include "Clock.h"
#include "ClockText.h"
#include "Engine.h"
#include "MemoryControls.h"

#include <QTest>
#include <chrono>
#include <optional>
#include <string>

using namespace chimewick;
using namespace std::chrono;

namespace {

QString q(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

const char* const CheckBoxes[] = {"C1",     "C2",  "Check5", "Check4", "C3",     "C4",
                                  "Check2", "C5",  "Check1", "Check3", "C6",     "C7",
                                  "C8",     "C9",  "csi",    "Check7", "Check6", "C10",
                                  "C11",    "C12", "C13",    "C14",    "C15",    "chkgt"};
const char* const TimeBoxes[] = {"T1",    "T2",  "Text7",  "Text6", "T3",    "T4",
                                 "Text4", "T5",  "Text3",  "Text5", "T6",    "T7",
                                 "T8",    "T9",  "Text10", "Text9", "Text8", "T10",
                                 "T11",   "T12", "T13",    "T14",   "T15",   "txtgt"};

constexpr Color Green = 65280;

// The engine on in-memory controls and a clock of the test's own, on Monday 2 March 2026.
struct Rig {
    MemoryControls controls;
    FakeClock clock{2026, 3, 2, 0, 0, 0};
    Engine engine{controls, clock, [] { return std::string("/bells"); }};

    // "07:25:01 AM", or "5/07:25:01 AM" on another day of the month: sets the clock so and
    // ticks.
    void tickAt(const QString& when) {
        const int slash = static_cast<int>(when.indexOf('/'));
        const unsigned day = slash < 0 ? 2u : when.left(slash).toUInt();
        const QString time = when.mid(slash + 1);
        int hour = time.left(2).toInt() % 12;
        if (time.endsWith("PM"))
            hour += 12;
        clock.setLocal(2026, 3, day, hour, time.mid(3, 2).toInt(), time.mid(6, 2).toInt());
        engine.run("Timer1_Timer");
    }
    // "name=value" into a check box or a time box, as the operator would.
    void apply(const QStringList& settings) {
        for (const QString& s : settings) {
            const std::string name = s.section('=', 0, 0).toStdString();
            const QString value = s.section('=', 1);
            if (findControl(name).kind == ControlKind::CheckBox)
                controls.setCheckValue(name, value.toInt());
            else
                controls.setText(name, value.toStdString());
        }
    }
    QStringList played() const {
        QStringList files;
        for (const std::string& path : controls.playerHistory())
            files << q(path);
        return files;
    }
    QStringList greenBoxes() const {
        QStringList boxes;
        for (const char* box : TimeBoxes)
            if (controls.backColor(box) == std::optional<Color>(Green))
                boxes << box;
        return boxes;
    }
    QString shown() const { return q(controls.text("Text1")); }
};

} // namespace

class TickingTest : public QObject {
    Q_OBJECT

private slots:
    void clockText_data() {
        QTest::addColumn<int>("hour");
        QTest::addColumn<int>("minute");
        QTest::addColumn<int>("second");
        QTest::addColumn<QString>("text");
        QTest::newRow("midnight") << 0 << 0 << 0 << "12:00:00 AM";
        QTest::newRow("half past midnight") << 0 << 30 << 0 << "12:30:00 AM";
        QTest::newRow("end of the midnight hour") << 0 << 59 << 59 << "12:59:59 AM";
        QTest::newRow("one in the morning") << 1 << 0 << 0 << "01:00:00 AM";
        QTest::newRow("school start") << 7 << 25 << 1 << "07:25:01 AM";
        QTest::newRow("one digit minute and second") << 9 << 5 << 7 << "09:05:07 AM";
        QTest::newRow("last second of the morning") << 11 << 59 << 59 << "11:59:59 AM";
        QTest::newRow("noon") << 12 << 0 << 0 << "12:00:00 PM";
        QTest::newRow("half past noon") << 12 << 30 << 0 << "12:30:00 PM";
        QTest::newRow("end of the noon hour") << 12 << 59 << 59 << "12:59:59 PM";
        QTest::newRow("one in the afternoon") << 13 << 0 << 0 << "01:00:00 PM";
        QTest::newRow("ten at night") << 22 << 10 << 10 << "10:10:10 PM";
        QTest::newRow("last second of the day") << 23 << 59 << 59 << "11:59:59 PM";
    }
    void clockText() {
        QFETCH(int, hour);
        QFETCH(int, minute);
        QFETCH(int, second);
        QFETCH(QString, text);
        QCOMPARE(q(chimewick::clockText(hour, minute, second)), text);
        // The tick shows the same text in the clock display.
        Rig rig;
        rig.clock.setLocal(2026, 3, 2, hour, minute, second);
        rig.engine.run("Timer1_Timer");
        QCOMPARE(rig.shown(), text);
    }

    // Slot 1 is ticked at start; its time text is compared with the clock text as it is.
    void exactText_data() {
        QTest::addColumn<QString>("slotTime");
        QTest::addColumn<QString>("clock");
        QTest::addColumn<bool>("rings");
        QTest::newRow("exact") << "07:25:01 AM"
                               << "07:25:01 AM" << true;
        QTest::newRow("blank before") << " 07:25:01 AM"
                                      << "07:25:01 AM" << false;
        QTest::newRow("blank after") << "07:25:01 AM "
                                     << "07:25:01 AM" << false;
        QTest::newRow("lower-case am") << "07:25:01 am"
                                       << "07:25:01 AM" << false;
        QTest::newRow("one-digit hour") << "7:25:01 AM"
                                        << "07:25:01 AM" << false;
        QTest::newRow("dots") << "07.25.01 AM"
                              << "07:25:01 AM" << false;
        QTest::newRow("no blank before AM") << "07:25:01AM"
                                            << "07:25:01 AM" << false;
        QTest::newRow("24-hour form") << "07:25:01"
                                      << "07:25:01 AM" << false;
        QTest::newRow("PM in the morning") << "07:25:01 PM"
                                           << "07:25:01 AM" << false;
        QTest::newRow("PM in the evening") << "07:25:01 PM"
                                           << "07:25:01 PM" << true;
        QTest::newRow("empty") << ""
                               << "07:25:01 AM" << false;
        QTest::newRow("half past midnight") << "12:30:00 AM"
                                            << "12:30:00 AM" << true;
        QTest::newRow("half past midnight as 00") << "00:30:00 AM"
                                                  << "12:30:00 AM" << false;
        QTest::newRow("midnight as 00") << "00:00:00 AM"
                                        << "12:00:00 AM" << false;
        QTest::newRow("half past noon") << "12:30:00 PM"
                                        << "12:30:00 PM" << true;
        QTest::newRow("half past noon as AM") << "12:30:00 AM"
                                              << "12:30:00 PM" << false;
    }
    void exactText() {
        QFETCH(QString, slotTime);
        QFETCH(QString, clock);
        QFETCH(bool, rings);
        Rig rig;
        rig.controls.setText("T1", slotTime.toStdString());
        rig.tickAt(clock);
        QCOMPARE(rig.shown(), clock);
        QCOMPARE(rig.played(), rings ? QStringList{"/bells/BellStart.wma"} : QStringList{});
        QCOMPARE(rig.controls.backColor("T1"), std::optional<Color>(rings ? Green : 0xFFFFFFu));
    }

    // Text typed into the clock display is replaced before any slot is compared.
    void typedClockTextRingsNothing() {
        Rig rig;
        rig.apply({"C2=1", "T2=07:40:00 AM"});
        rig.controls.setText("Text1", "07:40:00 AM");
        rig.tickAt("07:25:10 AM");
        QCOMPARE(rig.played(), QStringList{});
        QCOMPARE(rig.shown(), QStringLiteral("07:25:10 AM"));
    }

    void builtInSchoolStart() {
        Rig rig;
        for (int second = 0; second <= 62; ++second) {
            rig.clock.setLocal(2026, 3, 2, 7, 25, 0);
            rig.clock.advance(seconds(second));
            rig.engine.run("Timer1_Timer");
        }
        QCOMPARE(rig.shown(), QStringLiteral("07:26:02 AM"));
        QCOMPARE(rig.played(), QStringList{"/bells/BellStart.wma"});
        QCOMPARE(rig.greenBoxes(), QStringList{"T1"});
        QCOMPARE(rig.controls.backColor("T2"), std::nullopt); // C2 is unticked at start
    }

    void eachSlotRingsItsBell_data() {
        QTest::addColumn<int>("slot");
        QTest::addColumn<QString>("file");
        const char* const files[] = {"/BellStart.wma",
                                     "/sb.wma",
                                     "/BellStart2.wma",
                                     "/mpoojawa.wma",
                                     "/Shareera Suwatha 2.wav",
                                     "/Jathika Geeya.mp3",
                                     "/Jathika Geeya Half.wma",
                                     "/bell.mp3",
                                     "/teachingstart.wma",
                                     "/teachingstart.wma",
                                     "/period2.wma",
                                     "/period3.wma",
                                     "/period4.wma",
                                     "/interwal.wma",
                                     "/interwal.wma",
                                     "/sb.wma",
                                     "/hodamalamaya.wma",
                                     "/period5.wma",
                                     "/period6.wma",
                                     "/period7.wma",
                                     "/period8.wma",
                                     "/end.wma",
                                     "/cm.wma",
                                     "/gt.wma"};
        for (int i = 0; i < 24; ++i)
            QTest::newRow(TimeBoxes[i]) << i << files[i];
    }
    void eachSlotRingsItsBell() {
        QFETCH(int, slot);
        QFETCH(QString, file);
        Rig rig;
        for (const char* box : CheckBoxes)
            rig.controls.setCheckValue(box, 0);
        for (const char* box : TimeBoxes)
            rig.controls.setText(box, "11:11:11 PM"); // unticked slots stay silent
        const auto i = static_cast<std::size_t>(slot);
        rig.controls.setCheckValue(CheckBoxes[i], 1);
        rig.tickAt("11:11:11 PM");
        QCOMPARE(rig.played(), QStringList{"/bells" + file});
        QCOMPARE(rig.greenBoxes(), QStringList{TimeBoxes[i]});
    }

    // Ticked slots sharing a time ring in table order; the last bell is the one that plays on.
    void sameTime_data() {
        QTest::addColumn<QStringList>("settings");
        QTest::addColumn<QString>("clock");
        QTest::addColumn<QStringList>("played");
        QTest::addColumn<QStringList>("green");
        QTest::newRow("school start and arrange bell 1")
            << QStringList{"C2=1", "T2=07:25:01 AM"} << "07:25:01 AM"
            << QStringList{"/bells/BellStart.wma", "/bells/sb.wma"} << QStringList{"T1", "T2"};
        QTest::newRow("arrange bell 2 and morning gatha")
            << QStringList{"Text6=07:29:54 AM"} << "07:29:54 AM"
            << QStringList{"/bells/BellStart2.wma", "/bells/mpoojawa.wma"}
            << QStringList{"Text7", "Text6"};
        QTest::newRow("both teaching starts")
            << QStringList{"Check1=1", "Check3=1", "Text5=08:00:01 AM"} << "08:00:01 AM"
            << QStringList{"/bells/teachingstart.wma", "/bells/teachingstart.wma"}
            << QStringList{"Text3", "Text5"};
        QTest::newRow("short interval before short bell")
            << QStringList{"csi=1", "Text10=10:48:20 AM"} << "10:48:20 AM"
            << QStringList{"/bells/interwal.wma", "/bells/sb.wma"}
            << QStringList{"Text10", "Text9"};
        QTest::newRow("three in a row")
            << QStringList{"Text8=10:48:20 AM", "T10=10:48:20 AM"} << "10:48:20 AM"
            << QStringList{"/bells/sb.wma", "/bells/hodamalamaya.wma", "/bells/period5.wma"}
            << QStringList{"Text9", "Text8", "T10"};
        QTest::newRow("green time last")
            << QStringList{"chkgt=1", "txtgt=07:25:01 AM"} << "07:25:01 AM"
            << QStringList{"/bells/BellStart.wma", "/bells/gt.wma"} << QStringList{"T1", "txtgt"};
    }
    void sameTime() {
        QFETCH(QStringList, settings);
        QFETCH(QString, clock);
        QFETCH(QStringList, played);
        QFETCH(QStringList, green);
        Rig rig;
        rig.apply(settings);
        rig.tickAt(clock);
        QCOMPARE(rig.played(), played);
        QCOMPARE(q(rig.controls.playerUrl("wmp")), played.last());
        QCOMPARE(rig.greenBoxes(), green);
    }

    void greenStays_data() {
        QTest::addColumn<QString>("after");
        QTest::newRow("unticked") << "untick";
        QTest::newRow("time edited") << "edit";
        QTest::newRow("every profile applied") << "profiles";
        QTest::newRow("rung again") << "ring";
        QTest::newRow("next day") << "day";
    }
    void greenStays() {
        QFETCH(QString, after);
        Rig rig;
        rig.tickAt("08:30:01 AM"); // slot 11, "Periad 2"
        QCOMPARE(rig.greenBoxes(), QStringList{"T6"});
        if (after == "untick")
            rig.apply({"C6=0"});
        else if (after == "edit")
            rig.apply({"T6=08:31:00 AM"});
        else if (after == "profiles")
            for (const char* p : {"Command22_Click", "Command1_Click", "Command6_Click",
                                  "Command2_Click", "Command3_Click", "Command4_Click"})
                rig.engine.run(p);
        else if (after == "ring")
            rig.apply({"T6=08:30:05 AM"});
        rig.tickAt(after == "day" ? "3/08:30:01 AM" : "08:30:05 AM");
        QCOMPARE(rig.greenBoxes(), QStringList{"T6"});
        QCOMPARE(rig.played().size(), after == "ring" || after == "day" ? 2 : 1);
    }

    // The tick handles every second it missed, up to a minute back, and never a second
    // twice. Each tick is "hh:mm:ss AM" on 2 March, or "d/hh:mm:ss AM" on day d.
    void missedAndRepeatedSeconds_data() {
        QTest::addColumn<QStringList>("ticks");
        QTest::addColumn<int>("rings"); // of slot 1, due at 07:25:01 AM
        QTest::newRow("every second")
            << QStringList{"07:24:59 AM", "07:25:00 AM", "07:25:01 AM", "07:25:02 AM"} << 1;
        QTest::newRow("3-second stall across the bell")
            << QStringList{"07:24:59 AM", "07:25:02 AM"} << 1;
        QTest::newRow("stall ending on the bell") << QStringList{"07:24:50 AM", "07:25:01 AM"} << 1;
        QTest::newRow("60-second gap") << QStringList{"07:24:30 AM", "07:25:30 AM"} << 1;
        QTest::newRow("61-second gap") << QStringList{"07:24:30 AM", "07:25:31 AM"} << 0;
        QTest::newRow("two-hour jump") << QStringList{"05:25:00 AM", "07:25:02 AM"} << 0;
        QTest::newRow("first tick after the bell") << QStringList{"07:25:05 AM"} << 0;
        QTest::newRow("two ticks in the bell's second")
            << QStringList{"07:25:00 AM", "07:25:01 AM", "07:25:01 AM"} << 1;
        QTest::newRow("three ticks in the first second")
            << QStringList{"07:25:01 AM", "07:25:01 AM", "07:25:01 AM"} << 1;
        QTest::newRow("clock set back over the rung bell")
            << QStringList{"07:25:00 AM", "07:25:01 AM", "07:25:05 AM", "07:24:58 AM",
                           "07:24:59 AM", "07:25:00 AM", "07:25:01 AM", "07:25:02 AM"}
            << 1;
        QTest::newRow("clock set back into a stall over the rung bell")
            << QStringList{"07:25:01 AM", "07:25:03 AM", "07:24:50 AM", "07:25:10 AM"} << 1;
        QTest::newRow("clock set back onto the bell's second")
            << QStringList{"07:25:01 AM", "07:25:03 AM", "07:25:01 AM"} << 1;
        QTest::newRow("clock set back an hour and forward again")
            << QStringList{"07:25:01 AM", "06:25:01 AM", "07:25:01 AM"} << 1;
        QTest::newRow("clock set back before a bell not yet rung")
            << QStringList{"07:26:00 AM", "07:25:00 AM", "07:25:01 AM"} << 1;
        QTest::newRow("set back three days, two ticks in the bell's second")
            << QStringList{"5/07:25:01 AM", "2/07:25:01 AM", "2/07:25:01 AM"} << 2;
        QTest::newRow("set back three days, then ticks up to the bell")
            << QStringList{"5/07:25:01 AM", "2/07:24:59 AM", "2/07:25:00 AM",
                           "2/07:25:01 AM", "2/07:25:01 AM", "2/07:25:02 AM"}
            << 2;
        QTest::newRow("next day") << QStringList{"07:25:01 AM", "3/07:25:00 AM", "3/07:25:01 AM"}
                                  << 2;
    }
    void missedAndRepeatedSeconds() {
        QFETCH(QStringList, ticks);
        QFETCH(int, rings);
        Rig rig;
        for (const QString& tick : ticks) {
            rig.tickAt(tick);
            QCOMPARE(rig.shown(), tick.section('/', -1)); // always the current second
        }
        QCOMPARE(rig.played().count(QStringLiteral("/bells/BellStart.wma")), rings);
        QCOMPARE(rig.played().size(), rings);
    }

    // Seconds caught up are handled in order, each against its own clock text.
    void catchUpRingsInOrder_data() {
        QTest::addColumn<QStringList>("settings");
        QTest::addColumn<QStringList>("ticks");
        QTest::addColumn<QStringList>("played");
        QTest::newRow("a later slot due first")
            << QStringList{"Text6=07:25:00 AM"} << QStringList{"07:24:55 AM", "07:25:03 AM"}
            << QStringList{"/bells/mpoojawa.wma", "/bells/BellStart.wma"};
        QTest::newRow("three bells in one stall")
            << QStringList{"C2=1", "T2=07:29:58 AM"} << QStringList{"07:29:50 AM", "07:30:05 AM"}
            << QStringList{"/bells/BellStart2.wma", "/bells/sb.wma", "/bells/mpoojawa.wma"};
    }
    void catchUpRingsInOrder() {
        QFETCH(QStringList, settings);
        QFETCH(QStringList, ticks);
        QFETCH(QStringList, played);
        Rig rig;
        rig.apply(settings);
        for (const QString& tick : ticks)
            rig.tickAt(tick);
        QCOMPARE(rig.played(), played);
        QCOMPARE(rig.shown(), ticks.last());
    }

    // Seconds are counted in UTC: a change of the UTC offset neither repeats nor skips a
    // second of the count, though the local time shown repeats or skips an hour.
    void utcOffsetChanges_data() {
        QTest::addColumn<int>("hoursBefore"); // UTC offset until 02:00:00 UTC, then after
        QTest::addColumn<int>("hoursAfter");
        QTest::addColumn<QStringList>("ticks"); // UTC times; "a..b" ticks every second
        QTest::addColumn<QStringList>("settings");
        QTest::addColumn<QStringList>("played");
        QTest::addColumn<QString>("shown");
        QTest::newRow("clock falls back: the hour repeats")
            << 1 << 0 << QStringList{"01:00:00..03:00:00"}
            << QStringList{"T1=02:30:01 AM", "C2=1", "T2=02:59:59 AM"}
            << QStringList{"/bells/BellStart.wma", "/bells/sb.wma", "/bells/BellStart.wma",
                           "/bells/sb.wma"}
            << "03:00:00 AM";
        QTest::newRow("clock springs forward: the hour is skipped")
            << 0 << 1 << QStringList{"01:00:00..03:00:00"}
            << QStringList{"T1=02:30:01 AM", "C2=1", "T2=03:00:00 AM"}
            << QStringList{"/bells/sb.wma"} << "04:00:00 AM";
        QTest::newRow("a stall across the change")
            << 0 << 1 << QStringList{"01:59:58", "02:00:01"}
            << QStringList{"T1=01:59:59 AM", "C2=1", "T2=03:00:00 AM"}
            << QStringList{"/bells/BellStart.wma", "/bells/sb.wma"} << "03:00:01 AM";
    }
    void utcOffsetChanges() {
        QFETCH(int, hoursBefore);
        QFETCH(int, hoursAfter);
        QFETCH(QStringList, ticks);
        QFETCH(QStringList, settings);
        QFETCH(QStringList, played);
        QFETCH(QString, shown);
        Rig rig;
        const sys_days day{2026y / March / 2};
        rig.clock.setUtcOffsetFrom(day - days(1), hours(hoursBefore));
        rig.clock.setUtcOffsetFrom(day + hours(2), hours(hoursAfter));
        rig.apply(settings);
        const auto utc = [&](const QString& t) {
            return Seconds(day + hours(t.left(2).toInt()) + minutes(t.mid(3, 2).toInt()) +
                           seconds(t.mid(6, 2).toInt()));
        };
        for (const QString& tick : ticks) {
            const Seconds last = utc(tick.section("..", -1));
            for (Seconds s = utc(tick.section("..", 0, 0)); s <= last; s += seconds(1)) {
                rig.clock.set(s);
                rig.engine.run("Timer1_Timer");
            }
        }
        QCOMPARE(rig.played(), played);
        QCOMPARE(rig.shown(), shown);
    }

    // Setting the test clock by its local time must land on the moment that shows it,
    // on either side of a change of offset.
    void fakeClockSetByLocalTime_data() {
        QTest::addColumn<int>("hoursBefore"); // UTC offset until 01:00:00 UTC, then after
        QTest::addColumn<int>("hoursAfter");
        QTest::addColumn<QString>("local");
        QTest::addColumn<QString>("utc"); // on the same day unless it starts with "-1 "
        QTest::newRow("before a spring change") << 1 << 2 << "00:30:00"
                                                << "-1 23:30:00";
        QTest::newRow("in the skipped hour") << 1 << 2 << "02:30:00"
                                             << "01:30:00";
        QTest::newRow("after a spring change") << 1 << 2 << "03:30:00"
                                               << "01:30:00";
        QTest::newRow("first of a repeated hour") << 2 << 1 << "02:30:00"
                                                  << "00:30:00";
        QTest::newRow("after an autumn change") << 2 << 1 << "03:30:00"
                                                << "02:30:00";
        QTest::newRow("well before any change") << 2 << 1 << "01:30:00"
                                                << "-1 23:30:00";
    }
    void fakeClockSetByLocalTime() {
        QFETCH(int, hoursBefore);
        QFETCH(int, hoursAfter);
        QFETCH(QString, local);
        QFETCH(QString, utc);
        const sys_days day{2026y / March / 29};
        FakeClock clock(2026, 1, 1, 0, 0, 0);
        clock.setUtcOffsetFrom(day - days(30), hours(hoursBefore));
        clock.setUtcOffsetFrom(day + hours(1), hours(hoursAfter));
        clock.setLocal(2026, 3, 29, local.left(2).toInt(), local.mid(3, 2).toInt(), 0);
        const bool dayBefore = utc.startsWith("-1 ");
        const QString time = dayBefore ? utc.mid(3) : utc;
        const Seconds expected = (dayBefore ? day - days(1) : day) + hours(time.left(2).toInt()) +
                                 minutes(time.mid(3, 2).toInt());
        QCOMPARE(clock.now().time_since_epoch().count(), expected.time_since_epoch().count());
    }
};

QTEST_APPLESS_MAIN(TickingTest)
#include "tst_ticking.moc"
