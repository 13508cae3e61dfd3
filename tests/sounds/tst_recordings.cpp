// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Recordings.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace chimewick;

namespace {

// All 26 recordings, as the catalogue names them, written out by hand.
const QStringList AllRecordings{"belle.wma",
                                "bell.mp3",
                                "cm.wma",
                                "mpoojawa.wma",
                                "Shareera Suwatha 2.wav",
                                "Jathika Geeya.mp3",
                                "pgee.mp3",
                                "gt.wma",
                                "teachingstart.wma",
                                "period2.wma",
                                "period3.wma",
                                "period4.wma",
                                "interwal.wma",
                                "period5.wma",
                                "period6.wma",
                                "period7.wma",
                                "period8.wma",
                                "end.wma",
                                "sb.wma",
                                "hodamalamaya.wma",
                                "BellStart.wma",
                                "BellStart2.wma",
                                "Jathika Geeya Half.wma",
                                "NgeeMusic.mp3",
                                "pirith.mp3",
                                "pg.mp3"};

void touch(const QString& path) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
}

} // namespace

class TestRecordings : public QObject {
    Q_OBJECT

private slots:
    void missingAtStart_data() {
        QTest::addColumn<QStringList>("remove"); // recordings taken away
        QTest::addColumn<QStringList>("add");    // "file" or "dir:name" put in
        QTest::addColumn<QStringList>("missing");
        QTest::newRow("all there") << QStringList{} << QStringList{} << QStringList{};
        QTest::newRow("two gone, in catalogue order")
            << QStringList{"pg.mp3", "cm.wma"} << QStringList{} << QStringList{"cm.wma", "pg.mp3"};
        QTest::newRow("another letter case is found")
            << QStringList{"BellStart.wma"} << QStringList{"bellstart.WMA"} << QStringList{};
        QTest::newRow("two letter cases: neither is guessed")
            << QStringList{"BellStart.wma"} << QStringList{"bellstart.wma", "BELLSTART.WMA"}
            << QStringList{"BellStart.wma"};
        QTest::newRow("a folder is no recording")
            << QStringList{"end.wma"} << QStringList{"dir:end.wma"} << QStringList{"end.wma"};
        QTest::newRow("a blank matters")
            << QStringList{"Jathika Geeya.mp3"} << QStringList{"JathikaGeeya.mp3"}
            << QStringList{"Jathika Geeya.mp3"};
    }
    void missingAtStart() {
        QFETCH(QStringList, remove);
        QFETCH(QStringList, add);
        QFETCH(QStringList, missing);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString folder = dir.filePath("school bells #2");
        QVERIFY(QDir().mkpath(folder));
        for (const QString& name : AllRecordings)
            if (!remove.contains(name))
                touch(folder + "/" + name);
        for (const QString& name : add) {
            if (name.startsWith("dir:"))
                QVERIFY(QDir(folder).mkdir(name.mid(4)));
            else
                touch(folder + "/" + name);
        }
        QStringList found;
        for (const std::string& name : missingRecordings(folder.toStdString()))
            found << QString::fromStdString(name);
        QCOMPARE(found, missing);
    }

    void aFolderThatIsNotThereLacksEverything() {
        QCOMPARE(missingRecordings("/nonexistent/chimewick").size(), std::size_t{26});
    }

    void theOtherLetterCaseIsTheFilePlayed() {
        QTemporaryDir dir;
        touch(dir.filePath("bellstart.WMA"));
        const auto found = findRecording((dir.path() + "/BellStart.wma").toStdString());
        QVERIFY(found);
        QCOMPARE(QString::fromStdString(found->filename().string()),
                 QStringLiteral("bellstart.WMA"));
    }
};

QTEST_APPLESS_MAIN(TestRecordings)
#include "tst_recordings.moc"
