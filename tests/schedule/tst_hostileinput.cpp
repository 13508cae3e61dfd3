// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Time boxes holding what an operator, a paste or a broken keyboard layout might leave in
// them. The tick compares each box with the clock text as exact text: whatever a box
// holds, it must neither crash the tick nor ring the slot nor turn the box green, unless
// it is exactly the clock text.

#include "Engine.h"
#include "FakeClock.h"
#include "MemoryControls.h"
#include "ReferenceTables.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTest>
#include <algorithm>
#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

using chimewick::Engine;
using chimewick::FakeClock;
using chimewick::MemoryControls;

namespace {

const std::string Folder = "/srv/chimewick";
constexpr chimewick::Color Green = 0x00FF00;
constexpr qsizetype Megabyte = 1 << 20;

// The 24 slots' check boxes and time boxes, in the tick's order.
const auto Slots = [] {
    std::vector<std::pair<std::string_view, std::string_view>> boxes;
    for (const auto& slot : chimewick::testing::ReferenceSlots)
        boxes.emplace_back(slot.checkBox, slot.timeBox);
    return boxes;
}();

std::string_view view(const QByteArray& bytes) {
    return {bytes.constData(), static_cast<std::size_t>(bytes.size())};
}

QByteArray bytesOf(const std::string& text) {
    return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
}

// The clock text followed by filler, a megabyte in all.
QByteArray megabyteAfter(const QByteArray& start, char filler) {
    QByteArray text = start;
    text.append(QByteArray(Megabyte - start.size(), filler));
    return text;
}

QString fileOf(const std::string& path) {
    if (path.size() <= Folder.size() + 1 || path.compare(0, Folder.size(), Folder) != 0)
        return QStringLiteral("<not in the program folder: %1>").arg(QString::fromStdString(path));
    return QString::fromStdString(path.substr(Folder.size() + 1));
}

// An engine over controls in memory, with the clock on Monday 2026-03-23 at the given
// local time (UTC, no start-up profile) and every slot ticked.
struct Bench {
    Bench(int hour, int minute, int second) : clock(2026, 3, 23, hour, minute, second) {
        for (const auto& [check, time] : Slots)
            memory.setCheckValue(check, 1);
    }

    void fillAll(const QByteArray& text) {
        for (const auto& [check, time] : Slots)
            memory.setText(time, view(text));
    }

    QStringList greenBoxes() const {
        QStringList green;
        for (const auto& [check, time] : Slots)
            if (memory.backColor(time) == Green)
                green << QString::fromLatin1(time.data(), static_cast<qsizetype>(time.size()));
        return green;
    }

    MemoryControls memory;
    FakeClock clock;
    Engine engine{memory, clock, [] { return Folder; }};
};

} // namespace

class HostileInput : public QObject {
    Q_OBJECT

private slots:
    void hostileTimeRingsNothing_data();
    void hostileTimeRingsNothing();
    void tickOverMegabyteSlots();
    void exactTimeAmongHostileOnesRingsOnce_data();
    void exactTimeAmongHostileOnesRingsOnce();
};

void HostileInput::hostileTimeRingsNothing_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("hour"); // the clock, on the 24-hour clock
    QTest::addColumn<int>("minute");
    QTest::addColumn<int>("second");
    QTest::addColumn<QString>("shown"); // what the clock display must show

    const QString seven = QStringLiteral("07:25:01 AM");
    const auto row = [&](const char* name, const QByteArray& text) {
        QTest::newRow(name) << text << 7 << 25 << 1 << seven;
    };
    using namespace Qt::Literals::StringLiterals;

    row("empty", QByteArray());
    row("a megabyte after the clock text", megabyteAfter("07:25:01 AM"_ba, 'x'));
    row("a megabyte of the clock text", "07:25:01 AM"_ba.repeated(Megabyte / 11));
    row("a megabyte of NUL", QByteArray(Megabyte, '\0'));
    row("NUL after", "07:25:01 AM\0"_ba);
    row("NUL and control characters after", "07:25:01 AM\0\x01\x1b[0m\r\n\t\x7f"_ba);
    row("NUL in place of the blank", "07:25:01\0AM"_ba);
    row("tab in place of the blank", "07:25:01\tAM"_ba);
    row("carriage return and line feed after", "07:25:01 AM\r\n"_ba);
    row("invalid UTF-8 after", "07:25:01 AM\xff\xfe"_ba);
    row("lone continuation byte in place of the blank", "07:25:01"_ba + '\x80' + "AM"_ba);
    row("overlong NUL after", "07:25:01 AM\xc0\x80"_ba);
    row("cut multibyte character after", "07:25:01 AM\xe2\x80"_ba);
    row("Arabic-Indic digits", "\u0660\u0667:\u0662\u0665:\u0660\u0661 AM"_ba);
    row("Extended Arabic-Indic digits", "\u06f0\u06f7:\u06f2\u06f5:\u06f0\u06f1 AM"_ba);
    row("Arabic morning designator", "07:25:01 \u0635"_ba);
    row("Hebrew morning designator", "07:25:01 \u05dc\u05e4\u05e0\u05d4\u05f4\u05e6"_ba);
    row("right-to-left mark before", "\u200f07:25:01 AM"_ba);
    row("left-to-right mark after", "07:25:01 AM\u200e"_ba);
    row("right-to-left override around", "\u202e07:25:01 AM\u202c"_ba);
    row("Arabic letter mark inside", "07:25:01\u061c AM"_ba);
    row("trailing blank", "07:25:01 AM "_ba);
    row("leading blank", " 07:25:01 AM"_ba);
    row("lower case", "07:25:01 am"_ba);
    row("mixed case", "07:25:01 Am"_ba);
    row("full-width digits", "\uff10\uff17:\uff12\uff15:\uff10\uff11 AM"_ba);
    row("full-width colons", "07\uff1a25\uff1a01 AM"_ba);
    row("full-width designator", "07:25:01 \uff21\uff2d"_ba);
    row("no-break space", "07:25:01\u00a0AM"_ba);
    row("one-digit hour", "7:25:01 AM"_ba);
    row("byte order mark before", "\ufeff07:25:01 AM"_ba);
    QTest::newRow("lower case, afternoon")
        << "01:28:01 pm"_ba << 13 << 28 << 1 << QStringLiteral("01:28:01 PM");
    QTest::newRow("24-hour clock, afternoon")
        << "13:28:01 PM"_ba << 13 << 28 << 1 << QStringLiteral("01:28:01 PM");
    QTest::newRow("hour 00 after midnight")
        << "00:30:00 AM"_ba << 0 << 30 << 0 << QStringLiteral("12:30:00 AM");
}

void HostileInput::hostileTimeRingsNothing() {
    QFETCH(QByteArray, text);
    QFETCH(int, hour);
    QFETCH(int, minute);
    QFETCH(int, second);
    QFETCH(QString, shown);

    Bench bench(hour, minute, second);
    bench.fillAll(text);
    bench.engine.run("Timer1_Timer");

    QCOMPARE(QString::fromStdString(bench.memory.text("Text1")), shown);
    QCOMPARE(bench.memory.playerHistory().size(), std::size_t{0});
    QCOMPARE(bench.greenBoxes(), QStringList{});
    // The tick only reads the time boxes.
    for (const auto& [check, time] : Slots)
        QVERIFY(bytesOf(bench.memory.text(time)) == text);
}

void HostileInput::tickOverMegabyteSlots() {
    // 24 slots, a megabyte each, every one starting with the clock text of its second.
    Bench bench(7, 25, 1);
    const char fillers[] = "x \t\0\x7f\xff";
    for (std::size_t i = 0; i < std::size(Slots); ++i)
        bench.memory.setText(Slots[i].second,
                             view(megabyteAfter("07:25:01 AM", fillers[i % (sizeof fillers)])));

    std::vector<std::chrono::microseconds> took;
    for (int i = 0; i < 10; ++i) {
        const auto start = std::chrono::steady_clock::now();
        bench.engine.run("Timer1_Timer");
        took.push_back(std::chrono::duration_cast<std::chrono::microseconds>(
            std::chrono::steady_clock::now() - start));
        bench.clock.advanceSecond();
    }
    std::chrono::microseconds total{0};
    for (const auto t : took)
        total += t;
    qInfo("A tick over 24 slots of a megabyte each: %lld us on average, %lld us at most, of 10.",
          static_cast<long long>(total.count() / 10),
          static_cast<long long>(std::max_element(took.begin(), took.end())->count()));

    QCOMPARE(QString::fromStdString(bench.memory.text("Text1")), QStringLiteral("07:25:10 AM"));
    QCOMPARE(bench.memory.playerHistory().size(), std::size_t{0});
    QCOMPARE(bench.greenBoxes(), QStringList{});
}

void HostileInput::exactTimeAmongHostileOnesRingsOnce_data() {
    QTest::addColumn<QString>("timeBox");
    QTest::addColumn<QString>("file");

    QTest::newRow("slot 1, the first visited")
        << QStringLiteral("T1") << QStringLiteral("BellStart.wma");
    QTest::newRow("slot 8, Pasal Geeya") << QStringLiteral("T5") << QStringLiteral("bell.mp3");
    QTest::newRow("slot 12, between") << QStringLiteral("T7") << QStringLiteral("period3.wma");
    QTest::newRow("slot 15, Short Interwal")
        << QStringLiteral("Text10") << QStringLiteral("interwal.wma");
    QTest::newRow("slot 24, the last visited")
        << QStringLiteral("txtgt") << QStringLiteral("gt.wma");
}

void HostileInput::exactTimeAmongHostileOnesRingsOnce() {
    QFETCH(QString, timeBox);
    QFETCH(QString, file);
    using namespace Qt::Literals::StringLiterals;

    const QByteArray hostile[] = {
        megabyteAfter("07:25:01 AM"_ba, 'x'),
        "07:25:01 AM\0"_ba,
        "07:25:01 AM "_ba,
        " 07:25:01 AM"_ba,
        "07:25:01 am"_ba,
        "\uff10\uff17:\uff12\uff15:\uff10\uff11 AM"_ba,
        "\u200f07:25:01 AM"_ba,
        "07:25:01 AM\xff"_ba,
        QByteArray(),
    };
    Bench bench(7, 25, 1);
    std::size_t next = 0;
    for (const auto& [check, time] : Slots) {
        const bool exact =
            QLatin1String(time.data(), static_cast<qsizetype>(time.size())) == timeBox;
        bench.memory.setText(time,
                             exact ? "07:25:01 AM" : view(hostile[next++ % std::size(hostile)]));
    }

    bench.engine.run("Timer1_Timer");
    bench.engine.run("Timer1_Timer"); // twice in the same second
    bench.clock.advanceSecond();
    bench.engine.run("Timer1_Timer");

    const auto& played = bench.memory.playerHistory();
    QCOMPARE(played.size(), std::size_t{1});
    QCOMPARE(fileOf(played.front()), file);
    QCOMPARE(bench.greenBoxes(), QStringList{timeBox});
}

QTEST_GUILESS_MAIN(HostileInput)
#include "tst_hostileinput.moc"
