// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "SingleInstance.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace chimewick;

// A later start hands the running copy its activation token over the real channel; a token
// that is not plain printable ASCII is dropped, and the running copy still shows itself.
class TestSingleInstance : public QObject {
    Q_OBJECT
    QTemporaryDir runtime_;

private slots:
    void initTestCase() {
        QVERIFY(runtime_.isValid());
        qputenv("XDG_RUNTIME_DIR", runtime_.path().toLocal8Bit());
    }

    void laterStartHandsOverItsToken_data() {
        QTest::addColumn<QString>("given");
        QTest::addColumn<QString>("received");
        QTest::newRow("a launcher's") << "weston-1234_TIME5678"
                                      << "weston-1234_TIME5678";
        QTest::newRow("none") << ""
                              << "";
        QTest::newRow("a second line") << "abc\nshow yourself"
                                       << "";
        QTest::newRow("a blank") << "abc def"
                                 << "";
        QTest::newRow("too long") << QString(600, u'x') << "";
    }
    void laterStartHandsOverItsToken() {
        QFETCH(QString, given);
        QFETCH(QString, received);
        SingleInstance running;
        QVERIFY(running.claim());
        QSignalSpy shown(&running, &SingleInstance::showRequested);
        QVERIFY(!SingleInstance().claim(given));
        QVERIFY(shown.wait(2000));
        QCOMPARE(shown.takeFirst().at(0).toString(), received);
    }
};

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
