// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "BellCatalogue.h"
#include "ControlsSpy.h"
#include "Engine.h"
#include "FakeClock.h"
#include "ReferenceTables.h"
#include "WindowDescription.h"

#include <QTest>
#include <filesystem>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

using namespace chimewick;
using chimewick::testing::ControlsSpy;
using chimewick::testing::ReferenceBell;
using chimewick::testing::ReferenceBells;

namespace {

// A program folder with blanks in it: the path is handed over as it is.
const std::string Folder = "/home/school office/Chime Wick";

// The separator that takes the place of the file name's leading backslash.
constexpr char Separator = std::filesystem::path::preferred_separator == L'\\' ? '\\' : '/';

std::string extensionOf(std::string_view fileName) {
    const auto dot = fileName.rfind('.');
    return dot == std::string_view::npos ? std::string() : std::string(fileName.substr(dot));
}

} // namespace

class TestBellCatalogue : public QObject {
    Q_OBJECT

private slots:
    void holdsTwentySixBells() { QCOMPARE(bellCatalogue().size(), std::size(ReferenceBells)); }

    void eachBell_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("fileName");
        for (const ReferenceBell& bell : ReferenceBells)
            QTest::newRow(bell.button)
                << QString::fromUtf8(bell.button) << QString::fromUtf8(bell.caption)
                << QString::fromUtf8(bell.fileName);
    }

    void eachBell() {
        QFETCH(QString, button);
        QFETCH(QString, caption);
        QFETCH(QString, fileName);
        const std::string name = button.toStdString();
        const Bell& bell = bellOfButton(name);
        QCOMPARE(bell.button, std::string_view(name));
        QCOMPARE(std::string(bell.caption), caption.toStdString());
        // Used exactly as written: letter case and blanks included.
        QCOMPARE(std::string(bell.fileName), fileName.toStdString());

        // The button's click action, run as the window runs it, through the engine, reads
        // the program folder afresh and hands the player that folder and the file name.
        // It does nothing else.
        ControlsSpy controls;
        const FakeClock clock(2026, 12, 7, 9, 0, 0);
        int folderReads = 0;
        Engine engine(controls, clock, [&folderReads] {
            ++folderReads;
            return Folder;
        });
        QCOMPARE(folderReads, 0);
        engine.run(name + "_Click");
        QCOMPARE(controls.log, std::vector<std::string>{"setPlayerUrl wmp " + Folder + Separator +
                                                        fileName.mid(1).toStdString()});
        QCOMPARE(folderReads, 1);
    }

    void noTwoBellsShareAButtonOrAFile() {
        std::set<std::string_view> buttons, files;
        for (const Bell& bell : bellCatalogue()) {
            QVERIFY2(buttons.insert(bell.button).second, bell.button.data());
            QVERIFY2(files.insert(bell.fileName).second, bell.fileName.data());
        }
    }

    void everyFileNameBeginsWithABackslash() {
        for (const Bell& bell : bellCatalogue()) {
            QVERIFY(bell.fileName.size() > 1);
            QCOMPARE(bell.fileName.front(), '\\');
            // One backslash only: the rest is a plain file name in the program's folder.
            QCOMPARE(bell.fileName.find('\\', 1), std::string_view::npos);
        }
    }

    void nineteenWmaSixMp3OneWav() {
        int wma = 0, mp3 = 0, wav = 0;
        for (const Bell& bell : bellCatalogue()) {
            const std::string ext = extensionOf(bell.fileName);
            wma += ext == ".wma";
            mp3 += ext == ".mp3";
            wav += ext == ".wav";
        }
        QCOMPARE(wma, 19);
        QCOMPARE(mp3, 6);
        QCOMPARE(wav, 1);
    }

    void bellOfButtonReturnsTheCatalogueRow() {
        for (const Bell& bell : bellCatalogue())
            QCOMPARE(&bellOfButton(bell.button), &bell);
    }

    void bellOfButtonRejectsButtonsThatRingNoBell_data() {
        QTest::addColumn<QString>("button");
        QTest::newRow("empty") << QString();
        QTest::newRow("day profile") << QStringLiteral("Command22");
        QTest::newRow("weekday profile") << QStringLiteral("Command2");
        QTest::newRow("no such button") << QStringLiteral("cmd6");
        QTest::newRow("letter case") << QStringLiteral("CMD1");
        QTest::newRow("click action, not button") << QStringLiteral("cmd1_Click");
        QTest::newRow("trailing blank") << QStringLiteral("cmd1 ");
    }

    void bellOfButtonRejectsButtonsThatRingNoBell() {
        QFETCH(QString, button);
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, bellOfButton(button.toStdString()));
    }

    // Each bell is rung by a button of the window that bears the bell's caption.
    void everyBellHasItsButtonOnTheWindow() {
        for (const Bell& bell : bellCatalogue()) {
            const ControlSpec& onWindow = findControl(bell.button);
            QCOMPARE(onWindow.kind, ControlKind::CommandButton);
            QCOMPARE(onWindow.caption, bell.caption);
            QVERIFY2(onWindow.enabled, bell.button.data());
        }
    }
};

QTEST_APPLESS_MAIN(TestBellCatalogue)
#include "tst_bellcatalogue.moc"
