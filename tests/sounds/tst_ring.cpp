// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

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
constexpr char Separator = std::filesystem::path::preferred_separator == L'\\' ? '\\' : '/';

std::string joined(std::string folder, std::string rest) {
    return folder + Separator + rest;
}

ProgramFolder fixedFolder(std::string folder) {
    return [folder] { return folder; };
}

} // namespace

class TestRing : public QObject {
    Q_OBJECT

private slots:
    // --- the path of a recording ---

    // The folder followed directly by the file name, its leading backslash turned into
    // the system's separator, which "|" stands for in the expected path.
    void pathIsTheFolderThenTheFileName_data() {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("path");
        QTest::newRow("plain") << "/opt/chimewick"
                               << "\\bell.mp3"
                               << "/opt/chimewick|bell.mp3";
        QTest::newRow("drive letter") << "C:\\Bells"
                                      << "\\BellStart.wma"
                                      << "C:\\Bells|BellStart.wma";
        // Blanks and letter case pass unchanged.
        QTest::newRow("blanks in the folder and the name")
            << "/home/school office/Bell Program"
            << "\\Jathika Geeya Half.wma"
            << "/home/school office/Bell Program|Jathika Geeya Half.wma";
        QTest::newRow("blank at the end of the folder") << "/srv/my bells "
                                                        << "\\Jathika Geeya Half.wma"
                                                        << "/srv/my bells |Jathika Geeya Half.wma";
        QTest::newRow("letter case") << "/x"
                                     << "\\NgeeMusic.mp3"
                                     << "/x|NgeeMusic.mp3";
        QTest::newRow("blanks in a wav name") << "/x"
                                              << "\\Shareera Suwatha 2.wav"
                                              << "/x|Shareera Suwatha 2.wav";
        QTest::newRow("non-ASCII folder")
            << QString::fromUtf8(
                   "/home/\xe0\xb7\x81\xe0\xb7\x8f\xe0\xb6\xbd\xe0\xb7\x8f") // Sinhala
            << "\\pg.mp3"
            << QString::fromUtf8("/home/\xe0\xb7\x81\xe0\xb7\x8f\xe0\xb6\xbd\xe0\xb7\x8f|pg.mp3");
        // Nothing is quoted, normalised or removed: a trailing separator, dots and quotes
        // are left for the player to read.
        QTest::newRow("trailing separator") << "/opt/bells/"
                                            << "\\sb.wma"
                                            << "/opt/bells/|sb.wma";
        QTest::newRow("dots") << "/opt/./a/../bells"
                              << "\\sb.wma"
                              << "/opt/./a/../bells|sb.wma";
        QTest::newRow("quotes") << "/it's \"here\""
                                << "\\sb.wma"
                                << "/it's \"here\"|sb.wma";
        QTest::newRow("empty folder") << ""
                                      << "\\sb.wma"
                                      << "|sb.wma";
        // Only the leading backslash is the separator; the rest of a file name is used
        // exactly as written, and a name without a leading backslash follows the folder
        // directly.
        QTest::newRow("backslash inside the name") << "/x"
                                                   << "\\a\\b.wma"
                                                   << "/x|a\\b.wma";
        QTest::newRow("no leading backslash") << "/x"
                                              << "bell.mp3"
                                              << "/xbell.mp3";
        QTest::newRow("empty file name") << "/x"
                                         << ""
                                         << "/x";
    }

    void pathIsTheFolderThenTheFileName() {
        QFETCH(QString, folder);
        QFETCH(QString, fileName);
        QFETCH(QString, path);
        QCOMPARE(bellPath(folder.toStdString(), fileName.toStdString()),
                 path.replace(QLatin1Char('|'), QLatin1Char(Separator)).toStdString());
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
