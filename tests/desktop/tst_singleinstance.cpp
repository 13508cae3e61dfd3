// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "SingleInstance.h"

#include <QSignalSpy>
#include <QTest>

using namespace chimewick;

class TestSingleInstance : public QObject {
    Q_OBJECT

private slots:
    // The running copy heeds one line only: "show yourself", with at most a token of plain
    // printable ASCII after one blank. Anything else sent to its socket is no request.
    void requestAsRead_data() {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<bool>("heeded");
        QTest::addColumn<QString>("token");
        QTest::newRow("alone") << QByteArray("show yourself\n") << true << QString();
        QTest::newRow("with a token") << QByteArray("show yourself weston-1234_TIME5678\n") << true
                                      << QStringLiteral("weston-1234_TIME5678");
        QTest::newRow("the ends of printable ASCII")
            << QByteArray("show yourself !~\n") << true << QStringLiteral("!~");

        QTest::newRow("no newline") << QByteArray("show yourself") << false << QString();
        QTest::newRow("nothing") << QByteArray() << false << QString();
        QTest::newRow("another line") << QByteArray("quit\n") << false << QString();
        QTest::newRow("glued on") << QByteArray("show yourselfx\n") << false << QString();
        QTest::newRow("a blank and no token")
            << QByteArray("show yourself \n") << false << QString();
        QTest::newRow("two blanks") << QByteArray("show yourself  abc\n") << false << QString();
        QTest::newRow("a blank in the token")
            << QByteArray("show yourself a b\n") << false << QString();
        QTest::newRow("a tab before it")
            << QByteArray("show yourself\tabc\n") << false << QString();
        QTest::newRow("a carriage return") << QByteArray("show yourself\r\n") << false << QString();
        QTest::newRow("a control character")
            << QByteArray("show yourself a\x01z\n") << false << QString();
        QTest::newRow("delete") << QByteArray("show yourself a\x7fz\n") << false << QString();
        QTest::newRow("beyond ASCII")
            << QByteArray("show yourself caf\xc3\xa9\n") << false << QString();
        QTest::newRow("a second line")
            << QByteArray("show yourself abc\nshow yourself\n") << false << QString();
    }
    void requestAsRead() {
        QFETCH(QByteArray, line);
        QFETCH(bool, heeded);
        QFETCH(QString, token);
        const std::optional<QString> read = readShowRequest(line);
        QCOMPARE(read.has_value(), heeded);
        if (read)
            QCOMPARE(*read, token);
    }

    // A later start hands the running copy its activation token over the real channel; a
    // token that is not plain printable ASCII is dropped, and the copy still shows itself.
    void laterStartHandsOverItsToken_data() {
        QTest::addColumn<QString>("given");
        QTest::addColumn<QString>("received");
        const QString token = QStringLiteral("weston-1234_TIME5678");
        QTest::newRow("a launcher's") << token << token;
        QTest::newRow("none") << QString() << QString();
        QTest::newRow("a second line") << QStringLiteral("abc\nshow yourself") << QString();
        QTest::newRow("too long") << QString(600, u'x') << QString();
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
