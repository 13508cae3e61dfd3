#include "ActionTable.h"
#include "Clock.h"
#include "ControlsSpy.h"
#include "DayProfiles.h"
#include "StartUp.h"

#include <QTest>
#include <chrono>
#include <stdexcept>
#include <string>
#include <vector>

using namespace chimewick;
using namespace std::chrono;
using chimewick::testing::snapshot;

namespace {

Seconds utc(unsigned d, int hour, int minute, int second) {
    return sys_days{year{2026} / December / std::chrono::day{d}} + hours{hour} + minutes{minute} +
           seconds{second};
}

// A clock that shows the given moments one after the other, one each time it is read,
// and stays on the last; local time is UTC.
class SteppingClock : public Clock {
public:
    explicit SteppingClock(std::vector<Seconds> moments) : moments_(std::move(moments)) {}

    Seconds now() const override {
        const Seconds s = moments_[std::min(reads_, moments_.size() - 1)];
        ++reads_;
        return s;
    }
    LocalTime toLocal(Seconds moment) const override { return localTimeAt(moment, seconds{0}); }
    std::size_t reads() const { return reads_; }

private:
    std::vector<Seconds> moments_;
    mutable std::size_t reads_ = 0;
};

// The three weekday actions, noting their runs; one may be made to fail.
struct WeekdayActions {
    std::vector<std::string> ran;
    std::string failing;
    ActionTable table;

    WeekdayActions() {
        for (const char* name : {"Command2_Click", "Command3_Click", "Command4_Click"})
            table.add(name, [this, name] {
                ran.emplace_back(name);
                if (failing == name)
                    throw std::runtime_error("the check box is gone");
            });
    }
};

// The weekday actions as the program has them: the profiles on the given controls.
ActionTable profileActions(Controls& controls) {
    ActionTable table;
    for (const char* button : {"Command2", "Command3", "Command4"})
        table.add(std::string(button) + "_Click",
                  [&controls, button] { applyProfile(dayProfileOfButton(button), controls); });
    return table;
}

} // namespace

class TestStartUp : public QObject {
    Q_OBJECT

private slots:
    void theWeekdayChoosesTheProfile_data() {
        QTest::addColumn<int>("day");
        QTest::addColumn<QStringList>("ran");
        QTest::newRow("Sunday") << 6 << QStringList{};
        QTest::newRow("Monday") << 7 << QStringList{"Command2_Click"};
        QTest::newRow("Tuesday") << 8 << QStringList{"Command3_Click"};
        QTest::newRow("Wednesday") << 9 << QStringList{"Command3_Click"};
        QTest::newRow("Thursday") << 10 << QStringList{"Command2_Click"};
        QTest::newRow("Friday") << 11 << QStringList{"Command4_Click"};
        QTest::newRow("Saturday") << 12 << QStringList{};
    }

    void theWeekdayChoosesTheProfile() {
        QFETCH(int, day);
        QFETCH(QStringList, ran);
        for (int hour : {0, 7, 23}) {
            FakeClock clock(2026, 12, static_cast<unsigned>(day), hour, 30, 0);
            WeekdayActions actions;
            formLoad(clock, actions.table);
            QStringList got;
            for (const std::string& name : actions.ran)
                got << QString::fromStdString(name);
            QCOMPARE(got, ran);
        }
    }

    void eachTestReadsTheCalendarForItself() {
        SteppingClock clock({utc(7, 12, 0, 0)});
        WeekdayActions actions;
        formLoad(clock, actions.table);
        QCOMPARE(clock.reads(), std::size_t{3});
    }

    // A start in the last instant of a Monday applies both profiles; the second wins.
    void aStartAtMidnightMayApplyTwoProfiles() {
        SteppingClock clock({utc(7, 23, 59, 59), utc(8, 0, 0, 0)});
        WeekdayActions actions;
        formLoad(clock, actions.table);
        QCOMPARE(actions.ran, (std::vector<std::string>{"Command2_Click", "Command3_Click"}));

        MemoryControls controls;
        const ActionTable real = profileActions(controls);
        SteppingClock again({utc(7, 23, 59, 59), utc(8, 0, 0, 0)});
        formLoad(again, real);
        QCOMPARE(controls.checkValue("Check1"), 0);
        QCOMPARE(controls.checkValue("Check3"), 1);
    }

    void aStartAtMidnightMayApplyNone() {
        // Friday when the first two tests read, Saturday when the third does.
        SteppingClock clock({utc(11, 23, 59, 59), utc(11, 23, 59, 59), utc(12, 0, 0, 0)});
        WeekdayActions actions;
        formLoad(clock, actions.table);
        QVERIFY(actions.ran.empty());
    }

    void theWeekdayIsTheLocalOne() {
        // Sunday 20:00 on the system clock is Monday 01:30 where the school is.
        FakeClock clock(2026, 12, 6, 20, 0, 0);
        clock.setUtcOffsetFrom(utc(1, 0, 0, 0), hours{5} + minutes{30});
        WeekdayActions actions;
        formLoad(clock, actions.table);
        QCOMPARE(actions.ran, std::vector<std::string>{"Command2_Click"});
    }

    void aWeekendStartChangesNothing() {
        for (unsigned day : {6u, 12u}) {
            FakeClock clock(2026, 12, day, 7, 0, 0);
            MemoryControls controls;
            const auto before = snapshot(controls);
            formLoad(clock, profileActions(controls));
            QCOMPARE(snapshot(controls), before);
        }
    }

    void aFridayStartIsATuesdayStart() {
        MemoryControls friday, tuesday;
        formLoad(FakeClock(2026, 12, 11, 7, 0, 0), profileActions(friday));
        formLoad(FakeClock(2026, 12, 8, 7, 0, 0), profileActions(tuesday));
        QCOMPARE(snapshot(friday), snapshot(tuesday));
        QCOMPARE(friday.checkValue("Check3"), 1);
        QCOMPARE(friday.checkValue("Check1"), 0);
    }

    void aFailingProfileEndsTheStartUp() {
        SteppingClock clock({utc(7, 23, 59, 59), utc(8, 0, 0, 0)});
        WeekdayActions actions;
        actions.failing = "Command2_Click";
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, formLoad(clock, actions.table));
        QCOMPARE(actions.ran, std::vector<std::string>{"Command2_Click"});
    }
};

QTEST_APPLESS_MAIN(TestStartUp)
#include "tst_startup.moc"
