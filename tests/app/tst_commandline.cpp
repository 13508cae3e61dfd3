// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

// The built program's command line, run with no display at all: had it opened the toolkit
// for a window, it could not start, so an answer at all shows that none was opened.
class TestCommandLine : public QObject {
    Q_OBJECT

private slots:
    void answersWithoutAWindow_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("out");        // how standard output begins
        QTest::addColumn<QString>("firstError"); // the first line on standard error
        const QString usage = QStringLiteral("Usage: chimewick [options]\nRings the bells");
        QTest::newRow("help") << QStringList{"--help"} << 0 << usage << "";
        QTest::newRow("help, short") << QStringList{"-h"} << 0 << usage << "";
        QTest::newRow("version") << QStringList{"--version"} << 0 << "Chimewick 1.00\n"
                                 << "";
        QTest::newRow("after a toolkit option")
            << QStringList{"-style", "Fusion", "-v"} << 0 << "Chimewick 1.00\n"
            << "";
        QTest::newRow("unknown option") << QStringList{"--ring-all"} << 2 << ""
                                        << "chimewick: Unknown option 'ring-all'.";
        QTest::newRow("stray argument") << QStringList{"monday"} << 2 << ""
                                        << "chimewick: Unexpected argument 'monday'.";
        QTest::newRow("toolkit option without its value")
            << QStringList{"-platform"} << 2 << ""
            << "chimewick: Missing value after '-platform'.";
    }
    void answersWithoutAWindow() {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, out);
        QFETCH(QString, firstError);
        QTemporaryDir runtime;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* display : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(QString::fromLatin1(display));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
        QProcess program;
        program.setProcessEnvironment(env);
        program.start(QStringLiteral(CHIMEWICK_PROGRAM), arguments);
        QVERIFY(program.waitForFinished(10000));
        const QString stdOut = QString::fromLocal8Bit(program.readAllStandardOutput());
        const QStringList stdErr =
            QString::fromLocal8Bit(program.readAllStandardError()).split('\n');
        QCOMPARE(program.exitCode(), status);
        QVERIFY2(out.isEmpty() ? stdOut.isEmpty() : stdOut.startsWith(out), qPrintable(stdOut));
        QCOMPARE(stdErr.first(), firstError);
        if (status == 2) // the mistake, then the usage
            QVERIFY(stdErr.at(1).startsWith(QStringLiteral("Usage: chimewick [options]")));
        QVERIFY(!stdOut.contains(QStringLiteral("platform"))); // the toolkit's are its own
        // The single-instance channel is never claimed.
        QVERIFY(QDir(runtime.path()).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
