#include "BellCatalogue.h"
#include "Clock.h"
#include "Engine.h"
#include "MemoryControls.h"
#include "Ring.h"

#include <QTest>
#include <set>
#include <stdexcept>
#include <string>

using namespace chimewick;

namespace {

QString q(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

// A program folder with blanks in it: the path is handed over as it is.
const QString Folder = QStringLiteral("/home/school office/Chime Wick");

} // namespace

class BellActionsTest : public QObject {
    Q_OBJECT

private slots:
    // The 26 bells; path is what a ring hands the player after the folder.
    void bells_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("path");
        const auto row = [](const char* button, const char* caption, const char* file,
                            const char* path) {
            QTest::newRow(button) << button << caption << file << path;
        };
        row("cmd", "O/E Bell", "\\belle.wma", "/belle.wma");
        row("cmd1", "Periad Bell", "\\bell.mp3", "/bell.mp3");
        row("cmd15", "End Gatha", "\\cm.wma", "/cm.wma");
        row("cmd2", "Morning Gatha", "\\mpoojawa.wma", "/mpoojawa.wma");
        row("cmd3", "Sarera Suwatha", "\\Shareera Suwatha 2.wav", "/Shareera Suwatha 2.wav");
        row("cmd4", "Jathika Geeya", "\\Jathika Geeya.mp3", "/Jathika Geeya.mp3");
        row("cmd5", "Pasal Geeya", "\\pgee.mp3", "/pgee.mp3");
        row("cmdgt", "Gree Time Bell", "\\gt.wma", "/gt.wma");
        row("Command10", "Teaching Start", "\\teachingstart.wma", "/teachingstart.wma");
        row("Command11", "Periad 2", "\\period2.wma", "/period2.wma");
        row("Command12", "Periad 3", "\\period3.wma", "/period3.wma");
        row("Command13", "Periad 4", "\\period4.wma", "/period4.wma");
        row("Command14", "Interval", "\\interwal.wma", "/interwal.wma");
        row("Command15", "Periad 5", "\\period5.wma", "/period5.wma");
        row("Command16", "Periad 6", "\\period6.wma", "/period6.wma");
        row("Command17", "Periad 7", "\\period7.wma", "/period7.wma");
        row("Command18", "Periad 8", "\\period8.wma", "/period8.wma");
        row("Command19", "End Bell", "\\end.wma", "/end.wma");
        row("Command20", "Short Bell", "\\sb.wma", "/sb.wma");
        row("Command21", "Hodama Lamaya", "\\hodamalamaya.wma", "/hodamalamaya.wma");
        row("Command23", "Start Bell", "\\BellStart.wma", "/BellStart.wma");
        row("Command24", "Start Bell 2", "\\BellStart2.wma", "/BellStart2.wma");
        row("Command5", "Jathika Geeya Half", "\\Jathika Geeya Half.wma",
            "/Jathika Geeya Half.wma");
        row("Command7", "Jathika Geeya Music", "\\NgeeMusic.mp3", "/NgeeMusic.mp3");
        row("Command8", "Perith", "\\pirith.mp3", "/pirith.mp3");
        row("Command9", "Parisara Geeya", "\\pg.mp3", "/pg.mp3");
    }
    void bells() {
        QFETCH(QString, button);
        QFETCH(QString, caption);
        QFETCH(QString, fileName);
        QFETCH(QString, path);
        const Bell& bell = bellOfButton(button.toStdString());
        QCOMPARE(q(bell.caption), caption);
        QCOMPARE(q(bell.fileName), fileName);

        // The button's click action hands the player the folder and the file name.
        MemoryControls controls;
        const FakeClock clock(2026, 3, 2, 9, 0, 0);
        const Engine engine(controls, clock, [] { return Folder.toStdString(); });
        engine.run((button + "_Click").toStdString());
        QCOMPARE(controls.playerHistory().size(), std::size_t{1});
        QCOMPARE(q(controls.playerUrl("wmp")), Folder + path);
    }

    void catalogueHoldsExactlyThe26() {
        QCOMPARE(bellCatalogue().size(), std::size_t{26});
        std::set<std::string_view> buttons;
        std::set<std::string_view> files;
        for (const Bell& bell : bellCatalogue()) {
            buttons.insert(bell.button);
            files.insert(bell.fileName);
        }
        QCOMPARE(buttons.size(), std::size_t{26});
        QCOMPARE(files.size(), std::size_t{26});
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, bellOfButton("Command22"));
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, bellOfButton("cmd6"));
    }

    void folderIsReadAfreshAtEachRing() {
        MemoryControls controls;
        const FakeClock clock(2026, 3, 2, 9, 0, 0);
        int reads = 0;
        const Engine engine(controls, clock, [&reads] {
            ++reads;
            return "/mnt/bells" + std::to_string(reads);
        });
        QCOMPARE(reads, 0);
        engine.run("cmd5_Click");
        engine.run("cmd5_Click");
        engine.run("Command8_Click");
        QCOMPARE(reads, 3);
        const std::vector<std::string> expected = {"/mnt/bells1/pgee.mp3", "/mnt/bells2/pgee.mp3",
                                                   "/mnt/bells3/pirith.mp3"};
        QVERIFY(controls.playerHistory() == expected);
    }

    void bellPath_data() {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("path");
        QTest::newRow("plain") << "/opt/chimewick"
                               << "\\sb.wma"
                               << "/opt/chimewick/sb.wma";
        QTest::newRow("blanks on both sides") << "/srv/my bells "
                                              << "\\Jathika Geeya Half.wma"
                                              << "/srv/my bells /Jathika Geeya Half.wma";
        QTest::newRow("letter case kept") << "/Bells"
                                          << "\\NgeeMusic.mp3"
                                          << "/Bells/NgeeMusic.mp3";
        QTest::newRow("only the leading backslash changes") << "/b"
                                                            << "\\sub\\x y.wav"
                                                            << "/b/sub\\x y.wav";
        QTest::newRow("empty folder") << ""
                                      << "\\bell.mp3"
                                      << "/bell.mp3";
    }
    void bellPath() {
        QFETCH(QString, folder);
        QFETCH(QString, fileName);
        QFETCH(QString, path);
        QCOMPARE(q(chimewick::bellPath(folder.toStdString(), fileName.toStdString())), path);
    }

    // The slot beside "Pasal Geeya" rings the period bell; the button "Pasal Geeya" plays
    // another file and no slot rings it.
    void pasalGeeyaSlotRingsThePeriodBell() {
        MemoryControls controls;
        FakeClock clock(2026, 3, 2, 9, 15, 1);
        const Engine engine(controls, clock, [] { return Folder.toStdString(); });
        controls.setCheckValue("C5", 1);
        controls.setText("T5", "09:15:01 AM");
        engine.run("Timer1_Timer");
        QCOMPARE(controls.playerHistory().size(), std::size_t{1});
        QCOMPARE(q(controls.playerUrl("wmp")), Folder + "/bell.mp3");
        QCOMPARE(controls.backColor("T5"), std::optional<Color>(65280));
    }
};

QTEST_APPLESS_MAIN(BellActionsTest)
#include "tst_bellactions.moc"
