#include "BellCatalogue.h"
#include "ControlsSpy.h"
#include "Ring.h"

#include <QTest>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

using namespace chimewick;
using chimewick::testing::ControlsSpy;

namespace {

// The separator that takes the place of the file name's leading backslash.
constexpr char sep = std::filesystem::path::preferred_separator == L'\\' ? '\\' : '/';

std::string joined(std::string folder, std::string rest) {
    return folder + sep + rest;
}

ProgramFolder fixedFolder(std::string folder) {
    return [folder] { return folder; };
}

} // namespace

class TestRing : public QObject {
    Q_OBJECT

private slots:
    // --- the path of a recording ---

    void pathIsTheFolderThenTheFileName() {
        QCOMPARE(bellPath("/opt/chimewick", "\\bell.mp3"), joined("/opt/chimewick", "bell.mp3"));
        QCOMPARE(bellPath("C:\\Bells", "\\BellStart.wma"), joined("C:\\Bells", "BellStart.wma"));
    }

    void blanksAndLetterCasePassUnchanged() {
        QCOMPARE(bellPath("/home/school office/Bell Program", "\\Jathika Geeya Half.wma"),
                 joined("/home/school office/Bell Program", "Jathika Geeya Half.wma"));
        QCOMPARE(bellPath("/x", "\\NgeeMusic.mp3"), joined("/x", "NgeeMusic.mp3"));
        QCOMPARE(bellPath("/x", "\\Shareera Suwatha 2.wav"),
                 joined("/x", "Shareera Suwatha 2.wav"));
    }

    void nothingIsQuotedNormalisedOrRemoved() {
        // A trailing separator, dots and doubled separators are left for the player to read.
        QCOMPARE(bellPath("/opt/bells/", "\\sb.wma"), joined("/opt/bells/", "sb.wma"));
        QCOMPARE(bellPath("/opt/./a/../bells", "\\sb.wma"), joined("/opt/./a/../bells", "sb.wma"));
        QCOMPARE(bellPath("/it's \"here\"", "\\sb.wma"), joined("/it's \"here\"", "sb.wma"));
        QCOMPARE(bellPath("", "\\sb.wma"), joined("", "sb.wma"));
    }

    void onlyTheLeadingBackslashIsTheSeparator() {
        // The rest of a file name is used exactly as written.
        QCOMPARE(bellPath("/x", "\\a\\b.wma"), joined("/x", "a\\b.wma"));
        // A name without a leading backslash follows the folder directly.
        QCOMPARE(bellPath("/x", "bell.mp3"), std::string("/xbell.mp3"));
        QCOMPARE(bellPath("/x", ""), std::string("/x"));
    }

    void nonAsciiFolderPassesUnchanged() {
        const std::string folder =
            "/home/\xe0\xb7\x81\xe0\xb7\x8f\xe0\xb6\xbd\xe0\xb7\x8f"; // Sinhala, UTF-8
        QCOMPARE(bellPath(folder, "\\pg.mp3"), joined(folder, "pg.mp3"));
    }

    // --- ringing ---

    void nothingPlaysBeforeTheFirstRing() {
        MemoryControls controls;
        QCOMPARE(controls.playerUrl("wmp"), std::string());
        QVERIFY(controls.playerHistory().empty());
    }

    void ringHandsThePathToThePlayerAndDoesNothingElse() {
        ControlsSpy controls;
        Ringer ringer(controls, fixedFolder("/opt/chime wick"));
        ringer.ring(bellOfButton("Command23"));
        QCOMPARE(controls.log,
                 std::vector<std::string>{"setPlayerUrl wmp " +
                                          joined("/opt/chime wick", "BellStart.wma")});
        QCOMPARE(controls.memory.playerUrl("wmp"), joined("/opt/chime wick", "BellStart.wma"));
    }

    void everyBellRingsItsOwnFile() {
        MemoryControls controls;
        Ringer ringer(controls, fixedFolder("/bells"));
        std::vector<std::string> expected;
        for (const Bell& bell : bellCatalogue()) {
            ringer.ring(bell);
            expected.push_back(joined("/bells", std::string(bell.fileName.substr(1))));
            QCOMPARE(controls.playerUrl("wmp"), expected.back());
        }
        QCOMPARE(controls.playerHistory(), expected);
    }

    void aNewRingReplacesThePlayingFile() {
        MemoryControls controls;
        Ringer ringer(controls, fixedFolder("/bells"));
        ringer.ring(bellOfButton("cmd1"));
        ringer.ring(bellOfButton("cmd5"));
        QCOMPARE(controls.playerUrl("wmp"), joined("/bells", "pgee.mp3"));
        QCOMPARE(controls.playerHistory().size(), std::size_t{2});
    }

    void ringingTheSameBellAgainSetsThePathAgain() {
        MemoryControls controls;
        Ringer ringer(controls, fixedFolder("/bells"));
        ringer.ring(bellOfButton("Command19"));
        ringer.ring(bellOfButton("Command19"));
        QCOMPARE(controls.playerHistory(), (std::vector<std::string>{joined("/bells", "end.wma"),
                                                                     joined("/bells", "end.wma")}));
    }

    void theFolderIsAskedAfreshAtEveryRing() {
        MemoryControls controls;
        int asked = 0;
        std::string folder = "/first";
        Ringer ringer(controls, [&] {
            ++asked;
            return folder;
        });
        QCOMPARE(asked, 0);
        ringer.ring(bellOfButton("cmd"));
        QCOMPARE(asked, 1);
        folder = "/moved here";
        ringer.ring(bellOfButton("cmd"));
        QCOMPARE(asked, 2);
        QCOMPARE(controls.playerHistory(),
                 (std::vector<std::string>{joined("/first", "belle.wma"),
                                           joined("/moved here", "belle.wma")}));
    }

    void aMissingFileIsNotDetected() {
        // The folder does not exist: the ring hands the path over all the same.
        MemoryControls controls;
        Ringer ringer(controls, fixedFolder("/no/such/folder/anywhere"));
        ringer.ring(bellOfButton("cmdgt"));
        QCOMPARE(controls.playerUrl("wmp"), joined("/no/such/folder/anywhere", "gt.wma"));
    }

    void aRingerNeedsAFolder() {
        MemoryControls controls;
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, Ringer(controls, ProgramFolder{}));
    }

    void aFailingFolderReachesTheCallerAndPlaysNothing() {
        ControlsSpy controls;
        Ringer ringer(controls, []() -> std::string { throw std::runtime_error("no folder"); });
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, ringer.ring(bellOfButton("cmd1")));
        QVERIFY(controls.log.empty());
        QCOMPARE(controls.memory.playerUrl("wmp"), std::string());
    }

    void aFailingPlayerReachesTheCaller() {
        ControlsSpy controls;
        controls.failOn("setPlayerUrl wmp");
        Ringer ringer(controls, fixedFolder("/bells"));
        QVERIFY_THROWS_EXCEPTION(ControlError, ringer.ring(bellOfButton("cmd1")));
        // The next ring goes through: the ringer keeps no state of its own.
        ringer.ring(bellOfButton("cmd2"));
        QCOMPARE(controls.memory.playerUrl("wmp"), joined("/bells", "mpoojawa.wma"));
    }
};

QTEST_APPLESS_MAIN(TestRing)
#include "tst_ring.moc"
