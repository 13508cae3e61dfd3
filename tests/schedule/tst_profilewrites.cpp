#include "Clock.h"
#include "Engine.h"
#include "MemoryControls.h"
#include "WindowDescription.h"

#include <QTest>
#include <algorithm>
#include <map>
#include <string>
#include <vector>

using namespace chimewick;

namespace {

QString q(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

// The window's controls in memory, with every write noted as "control=value" in the order
// made. failAtWrite(n) makes the n-th write (from 1) fail before it has any effect.
class RecordingControls : public Controls {
public:
    MemoryControls memory;
    QStringList writes;
    int failAtWrite = 0;

    int checkValue(std::string_view box) const override { return memory.checkValue(box); }
    std::string text(std::string_view box) const override { return memory.text(box); }
    void setCheckValue(std::string_view box, int value) override {
        note(q(box) + "=" + QString::number(value));
        memory.setCheckValue(box, value);
    }
    void setText(std::string_view box, std::string_view text) override {
        note(q(box) + "=" + q(text));
        memory.setText(box, text);
    }
    void setBackColor(std::string_view box, Color color) override {
        note(q(box) + ".colour=" + QString::number(color));
        memory.setBackColor(box, color);
    }
    void setEnabled(std::string_view button, bool enabled) override {
        note(q(button) + ".enabled=" + QString::number(enabled ? 1 : 0));
        memory.setEnabled(button, enabled);
    }
    void setPlayerUrl(std::string_view player, std::string_view path) override {
        note(q(player) + ".url=" + q(path));
        memory.setPlayerUrl(player, path);
    }

private:
    void note(const QString& write) {
        if (writes.size() + 1 == failAtWrite)
            throw ControlError("refused: " + write.toStdString());
        writes << write;
    }
};

// Every control's whole state, by name, so that a test can see what changed.
std::map<QString, QString> stateOf(const MemoryControls& c) {
    std::map<QString, QString> state;
    for (const ControlSpec& spec : form1Controls()) {
        const std::string name(spec.name);
        QString& s = state[q(spec.name)];
        switch (spec.kind) {
        case ControlKind::CheckBox:
            s = QString::number(c.checkValue(name));
            break;
        case ControlKind::TextBox: {
            const auto colour = c.backColor(name);
            s = q(c.text(name)) + " colour " + (colour ? QString::number(*colour) : "standard");
            break;
        }
        case ControlKind::CommandButton:
            s = c.isEnabled(name) ? "enabled" : "disabled";
            break;
        case ControlKind::MediaPlayer:
            s = q(c.playerUrl(name));
            break;
        default:
            break;
        }
    }
    return state;
}

// Checks that after the writes each written control holds its last value and every other
// control is as before.
void checkOnlyWrittenChanged(const std::map<QString, QString>& before, const MemoryControls& after,
                             const QStringList& writes) {
    std::map<QString, QString> expected = before;
    for (const QString& w : writes) {
        const QString name = w.section('=', 0, 0);
        const QString value = w.section('=', 1);
        QString& s = expected[name];
        if (s.contains(" colour "))
            s = value + s.mid(s.indexOf(" colour "));
        else
            s = value;
    }
    const std::map<QString, QString> actual = stateOf(after);
    for (const auto& [name, value] : expected)
        QCOMPARE(actual.at(name), value);
}

// A clock whose every reading moves on to the next of the given moments.
class SteppingClock : public Clock {
public:
    explicit SteppingClock(std::vector<Seconds> moments) : moments_(std::move(moments)) {}
    Seconds now() const override {
        const std::size_t i = std::min(reads_, moments_.size() - 1);
        ++reads_;
        return moments_[i];
    }
    LocalTime toLocal(Seconds moment) const override {
        return localTimeAt(moment, std::chrono::seconds(0));
    }
    std::size_t reads() const { return reads_; }

private:
    std::vector<Seconds> moments_;
    mutable std::size_t reads_ = 0;
};

// "yyyy-mm-dd hh:mm:ss" as a moment; the test clocks run on UTC.
Seconds moment(const QString& text) {
    using namespace std::chrono;
    const auto number = [&](qsizetype at, qsizetype length) {
        return text.mid(at, length).toInt();
    };
    const year_month_day date{year{number(0, 4)}, month{static_cast<unsigned>(number(5, 2))},
                              day{static_cast<unsigned>(number(8, 2))}};
    return sys_days{date} + hours{number(11, 2)} + minutes{number(14, 2)} + seconds{number(17, 2)};
}

const QStringList MondayThursday = {"Check1=1", "Check3=0"};
const QStringList TuesdayWednesday = {"Check1=0", "Check3=1"};

const QStringList SamithiDay = {"T6=08:25:01 AM",  "T7=09:00:01 AM",  "T8=09:35:01 AM",
                                "T9=10:10:01 AM",  "T10=10:30:01 AM", "T11=11:05:01 AM",
                                "T12=11:40:01 AM", "T13=12:15:01 PM", "T14=12:50:01 PM"};
const QStringList TwoThirtyDay = {
    "T6=08:42:01 AM",  "T7=09:29:01 AM",  "T8=10:16:01 AM",  "T9=11:03:01 AM",  "T10=11:22:01 AM",
    "T11=12:09:01 PM", "T12=12:56:01 PM", "T13=01:43:01 PM", "T14=02:25:01 PM", "T15=02:28:01 PM"};
const QStringList ThreeThirtyDay = {"csi=1",
                                    "C6=1",
                                    "C7=1",
                                    "C8=0",
                                    "C9=1",
                                    "Check7=0",
                                    "Check6=0",
                                    "C10=0",
                                    "C11=0",
                                    "C12=0",
                                    "C13=0",
                                    "C14=1",
                                    "C15=1",
                                    "Text5=07:45:01 AM",
                                    "Text10=10:00:01 AM",
                                    "T6=10:15:01 AM",
                                    "T7=01:30:01 PM",
                                    "T8=10:16:01 AM",
                                    "T9=01:00:01 PM",
                                    "T10=11:22:01 AM",
                                    "T11=12:09:01 PM",
                                    "T12=12:56:01 PM",
                                    "T13=01:43:01 PM",
                                    "T14=03:25:01 PM",
                                    "T15=03:27:01 PM"};

struct Rig {
    RecordingControls controls;
    FakeClock clock{2026, 3, 7, 9, 0, 0}; // a Saturday: the load applies nothing
    Engine engine{controls, clock, [] { return std::string("/bells"); }};
};

} // namespace

class ProfileWritesTest : public QObject {
    Q_OBJECT

private slots:
    void profiles_data() {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QStringList>("writes");
        QTest::newRow("Monday Thursday") << "Command2_Click" << MondayThursday;
        QTest::newRow("Tuesday Wednesday") << "Command3_Click" << TuesdayWednesday;
        QTest::newRow("Fryday") << "Command4_Click" << TuesdayWednesday;
        QTest::newRow("Samithi Day") << "Command1_Click" << SamithiDay;
        QTest::newRow("2.30 PM Day") << "Command6_Click" << TwoThirtyDay;
        QTest::newRow("3.30 PM Day") << "Command22_Click" << ThreeThirtyDay;
    }
    void profiles() {
        QFETCH(QString, action);
        QFETCH(QStringList, writes);
        Rig rig;
        const auto before = stateOf(rig.controls.memory);
        rig.engine.run(action.toStdString());
        QCOMPARE(rig.controls.writes, writes);
        checkOnlyWrittenChanged(before, rig.controls.memory, writes);

        // Applying it again writes the same and leaves the same state.
        const auto once = stateOf(rig.controls.memory);
        rig.controls.writes.clear();
        rig.engine.run(action.toStdString());
        QCOMPARE(rig.controls.writes, writes);
        QVERIFY(stateOf(rig.controls.memory) == once);
    }

    // A refused write ends the profile there; the writes before it stay made.
    void failedWriteStopsTheProfile_data() {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QStringList>("writes");
        QTest::addColumn<int>("failAt");
        QTest::newRow("Samithi Day at T10") << "Command1_Click" << SamithiDay << 5;
        QTest::newRow("3.30 PM Day at its first time") << "Command22_Click" << ThreeThirtyDay << 14;
        QTest::newRow("Fryday at once") << "Command4_Click" << TuesdayWednesday << 1;
    }
    void failedWriteStopsTheProfile() {
        QFETCH(QString, action);
        QFETCH(QStringList, writes);
        QFETCH(int, failAt);
        Rig rig;
        const auto before = stateOf(rig.controls.memory);
        rig.controls.failAtWrite = failAt;
        QVERIFY_THROWS_EXCEPTION(ControlError, rig.engine.run(action.toStdString()));
        const QStringList made = writes.mid(0, failAt - 1);
        QCOMPARE(rig.controls.writes, made);
        checkOnlyWrittenChanged(before, rig.controls.memory, made);
    }

    // Later profiles overwrite only their own controls; the expected values are the
    // controls' final contents.
    void profilesInSequence_data() {
        QTest::addColumn<QStringList>("actions");
        QTest::addColumn<QStringList>("finalValues");
        QTest::newRow("3.30 PM Day then Samithi Day")
            << QStringList{"Command22_Click", "Command1_Click"}
            << (SamithiDay + QStringList{"Text5=07:45:01 AM", "Text10=10:00:01 AM",
                                         "T15=03:27:01 PM", "csi=1", "C6=1", "C7=1", "C8=0", "C9=1",
                                         "Check7=0", "Check6=0", "C10=0", "C11=0", "C12=0", "C13=0",
                                         "C14=1", "C15=1"});
        QTest::newRow("2.30 PM Day then Samithi Day keeps T15")
            << QStringList{"Command6_Click", "Command1_Click"}
            << (SamithiDay + QStringList{"T15=02:28:01 PM", "C8=1", "C13=1"});
        QTest::newRow("Samithi Day then 2.30 PM Day")
            << QStringList{"Command1_Click", "Command6_Click"} << TwoThirtyDay;
        QTest::newRow("Samithi Day then 3.30 PM Day")
            << QStringList{"Command1_Click", "Command22_Click"} << ThreeThirtyDay;
        QTest::newRow("Monday Thursday then Fryday")
            << QStringList{"Command2_Click", "Command4_Click"} << TuesdayWednesday;
        QTest::newRow("3.30 PM Day then Monday Thursday")
            << QStringList{"Command22_Click", "Command2_Click"}
            << QStringList{"Check1=1", "Check3=0", "Text5=07:45:01 AM", "Text3=08:00:01 AM"};
    }
    void profilesInSequence() {
        QFETCH(QStringList, actions);
        QFETCH(QStringList, finalValues);
        Rig rig;
        for (const QString& action : actions)
            rig.engine.run(action.toStdString());
        for (const QString& v : finalValues) {
            const std::string name = v.section('=', 0, 0).toStdString();
            const QString value = v.section('=', 1);
            if (findControl(name).kind == ControlKind::CheckBox)
                QCOMPARE(QString::number(rig.controls.memory.checkValue(name)), value);
            else
                QCOMPARE(q(rig.controls.memory.text(name)), value);
        }
    }

    void lock_data() {
        QTest::addColumn<QList<int>>("ticks"); // ck4's value at each click, in order
        QTest::addColumn<bool>("open");
        QTest::newRow("ticked") << QList<int>{1} << true;
        QTest::newRow("ticked, unticked") << QList<int>{1, 0} << false;
        QTest::newRow("unticked at start") << QList<int>{0} << false;
        QTest::newRow("ticked twice") << QList<int>{1, 1} << true;
        QTest::newRow("unticked, ticked, unticked, ticked") << QList<int>{0, 1, 0, 1} << true;
    }
    void lock() {
        QFETCH(QList<int>, ticks);
        QFETCH(bool, open);
        Rig rig;
        rig.engine.run("Command22_Click"); // a profile applied first stays as it is
        const auto before = stateOf(rig.controls.memory);
        rig.controls.writes.clear();
        for (int value : ticks) {
            rig.controls.memory.setCheckValue("ck4", value); // the operator's click
            rig.engine.run("ck4_Click");
        }
        const QString flag = open ? "1" : "0";
        const QStringList last = {"Command1.enabled=" + flag, "Command6.enabled=" + flag};
        QCOMPARE(rig.controls.writes.mid(rig.controls.writes.size() - 2), last);
        QCOMPARE(rig.controls.writes.size(), 2 * ticks.size());
        QCOMPARE(rig.controls.memory.isEnabled("Command1"), open);
        QCOMPARE(rig.controls.memory.isEnabled("Command6"), open);
        for (const char* always : {"Command2", "Command3", "Command4", "Command22"})
            QVERIFY(rig.controls.memory.isEnabled(always));
        checkOnlyWrittenChanged(before, rig.controls.memory,
                                QStringList{"ck4=" + QString::number(ticks.back()),
                                            "Command1=" + QString(open ? "enabled" : "disabled"),
                                            "Command6=" + QString(open ? "enabled" : "disabled")});
    }

    void startUpByWeekday_data() {
        QTest::addColumn<QString>("date");
        QTest::addColumn<QStringList>("writes");
        QTest::newRow("Sunday") << "2026-03-01" << QStringList{};
        QTest::newRow("Monday") << "2026-03-02" << MondayThursday;
        QTest::newRow("Tuesday") << "2026-03-03" << TuesdayWednesday;
        QTest::newRow("Wednesday") << "2026-03-04" << TuesdayWednesday;
        QTest::newRow("Thursday") << "2026-03-05" << MondayThursday;
        QTest::newRow("Friday") << "2026-03-06" << TuesdayWednesday;
        QTest::newRow("Saturday") << "2026-03-07" << QStringList{};
        QTest::newRow("Thursday, last day of a year") << "2026-12-31" << MondayThursday;
        QTest::newRow("Friday, first day of a year") << "2027-01-01" << TuesdayWednesday;
        QTest::newRow("Tuesday, a leap day") << "2028-02-29" << TuesdayWednesday;
    }
    void startUpByWeekday() {
        QFETCH(QString, date);
        QFETCH(QStringList, writes);
        for (const char* time : {"00:00:00", "12:00:00", "23:59:59"}) {
            RecordingControls controls;
            const SteppingClock clock({moment(date + " " + time)});
            const Engine engine(controls, clock, [] { return std::string("/bells"); });
            const auto before = stateOf(controls.memory);
            engine.run("Form_Load");
            QCOMPARE(controls.writes, writes);
            checkOnlyWrittenChanged(before, controls.memory, writes);
            QCOMPARE(clock.reads(), std::size_t{3});
        }
    }

    // The three tests of the start-up each read the calendar for themselves.
    void startUpAcrossMidnight_data() {
        QTest::addColumn<QStringList>("reads");
        QTest::addColumn<QStringList>("writes");
        QTest::addColumn<int>("check1");
        QTest::addColumn<int>("check3");
        QTest::newRow("Monday into Tuesday after the first read")
            << QStringList{"2026-03-02 23:59:59", "2026-03-03 00:00:00", "2026-03-03 00:00:00"}
            << (MondayThursday + TuesdayWednesday) << 0 << 1;
        QTest::newRow("Monday into Tuesday after the second read")
            << QStringList{"2026-03-02 23:59:59", "2026-03-02 23:59:59", "2026-03-03 00:00:00"}
            << MondayThursday << 1 << 0;
        QTest::newRow("Tuesday into Wednesday")
            << QStringList{"2026-03-03 23:59:59", "2026-03-04 00:00:00", "2026-03-04 00:00:00"}
            << TuesdayWednesday << 0 << 1;
        QTest::newRow("Wednesday into Thursday after the first read")
            << QStringList{"2026-03-04 23:59:59", "2026-03-05 00:00:00", "2026-03-05 00:00:00"}
            << QStringList{} << 0 << 0;
        QTest::newRow("Wednesday into Thursday after the second read")
            << QStringList{"2026-03-04 23:59:59", "2026-03-04 23:59:59", "2026-03-05 00:00:00"}
            << TuesdayWednesday << 0 << 1;
        QTest::newRow("Thursday into Friday")
            << QStringList{"2026-03-05 23:59:59", "2026-03-06 00:00:00", "2026-03-06 00:00:00"}
            << (MondayThursday + TuesdayWednesday) << 0 << 1;
        QTest::newRow("Thursday into Friday after the second read")
            << QStringList{"2026-03-05 23:59:59", "2026-03-05 23:59:59", "2026-03-06 00:00:00"}
            << (MondayThursday + TuesdayWednesday) << 0 << 1;
        QTest::newRow("Friday into Saturday")
            << QStringList{"2026-03-06 23:59:59", "2026-03-07 00:00:00", "2026-03-07 00:00:00"}
            << QStringList{} << 0 << 0;
        QTest::newRow("Sunday into Monday")
            << QStringList{"2026-03-01 23:59:59", "2026-03-02 00:00:00", "2026-03-02 00:00:00"}
            << QStringList{} << 0 << 0;
    }
    void startUpAcrossMidnight() {
        QFETCH(QStringList, reads);
        QFETCH(QStringList, writes);
        QFETCH(int, check1);
        QFETCH(int, check3);
        std::vector<Seconds> moments;
        for (const QString& r : reads)
            moments.push_back(moment(r));
        RecordingControls controls;
        const SteppingClock clock(moments);
        const Engine engine(controls, clock, [] { return std::string("/bells"); });
        engine.run("Form_Load");
        QCOMPARE(clock.reads(), std::size_t{3});
        QCOMPARE(controls.writes, writes);
        QCOMPARE(controls.memory.checkValue("Check1"), check1);
        QCOMPARE(controls.memory.checkValue("Check3"), check3);
        QVERIFY(controls.memory.playerHistory().empty()); // nothing plays at start
    }
};

QTEST_APPLESS_MAIN(ProfileWritesTest)
#include "tst_profilewrites.moc"
