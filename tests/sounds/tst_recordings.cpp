// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ExecutableFolder.h"
#include "Recordings.h"
#include "ReferenceTables.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>
#include <cstring>
#include <filesystem>

using namespace chimewick;

namespace {

// All 26 recordings, as the catalogue names them: its file names less the backslash.
const QStringList AllRecordings = [] {
    QStringList names;
    for (const auto& bell : chimewick::testing::ReferenceBells)
        names << QString::fromUtf8(bell.fileName + 1);
    return names;
}();

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

    // Each row puts files in a folder and asks for a name; found is the file played, if any.
    void theOtherLetterCaseIsTheFilePlayed_data() {
        QTest::addColumn<QStringList>("present");
        QTest::addColumn<QString>("requested");
        QTest::addColumn<QString>("found");
        QTest::newRow("ASCII") << QStringList{"bellstart.WMA"} << "BellStart.wma"
                               << "bellstart.WMA";
        QTest::newRow("Latin-1") << QStringList{"ÉCOLE.WMA"} << "école.wma"
                                 << "ÉCOLE.WMA";
        QTest::newRow("Latin Extended-A") << QStringList{"pāsala ŁĄKA.mp3"} << "PĀSALA łąka.mp3"
                                          << "pāsala ŁĄKA.mp3";
        QTest::newRow("Cyrillic") << QStringList{"ЗВОНОК.wav"} << "звонок.wav"
                                  << "ЗВОНОК.wav";
        QTest::newRow("another accent is another letter")
            << QStringList{"ÈCOLE.WMA"} << "École.wma" << QString();
        QTest::newRow("two matches: neither is guessed")
            << QStringList{"ÉCOLE.wma", "école.WMA"} << "École.wma" << QString();
    }
    void theOtherLetterCaseIsTheFilePlayed() {
        QFETCH(QStringList, present);
        QFETCH(QString, requested);
        QFETCH(QString, found);
        QTemporaryDir dir;
        for (const QString& name : present)
            touch(dir.filePath(name));
        const auto match = findRecording(QFile::encodeName(dir.filePath(requested)).toStdString());
        QCOMPARE(match ? QFile::decodeName(match->filename().c_str()) : QString(), found);
    }

    void theProgramFolderFollowsARename() {
        // A copy of this test in a folder of its own renames that folder while it runs,
        // then says where it is.
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const std::filesystem::path before = dir.filePath(QStringLiteral("bells")).toStdString();
        const std::filesystem::path after = dir.filePath(QStringLiteral("bells 2")).toStdString();
        std::filesystem::create_directory(before);
        std::filesystem::copy_file(std::filesystem::read_symlink("/proc/self/exe"),
                                   before / "copy");
        const std::string command =
            "'" + (before / "copy").string() + "' --rename-own-folder-to '" + after.string() + "'";
        FILE* child = popen(command.c_str(), "r");
        QVERIFY(child);
        char said[4096] = {};
        const std::size_t length = std::fread(said, 1, sizeof said - 1, child);
        QCOMPARE(pclose(child), 0);
        QCOMPARE(std::string(said, length), after.string());
    }
};

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--rename-own-folder-to") == 0) {
        std::filesystem::rename(chimewick::executableFolder(), argv[2]);
        std::fputs(chimewick::executableFolder().c_str(), stdout);
        return 0;
    }
    TestRecordings test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_recordings.moc"
