// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "PlayerRecordWriter.h"
#include "PlayerSettings.h"

#include <QTest>
#include <cstdint>
#include <vector>

using namespace chimewick;

namespace {

QByteArray bytesOf(std::span<const std::uint8_t> bytes) {
    return QByteArray(reinterpret_cast<const char*>(bytes.data()),
                      static_cast<qsizetype>(bytes.size()));
}

std::vector<std::uint8_t> storedRecord() {
    const auto record = wmpStateRecord();
    return {record.begin(), record.end()};
}

} // namespace

class PlayerRecordTest : public QObject {
    Q_OBJECT

private slots:
    void defaultsEncodeToTheStoredRecord() {
        const std::vector<std::uint8_t> encoded = encodePlayerSettings(PlayerSettings{});
        QCOMPARE(encoded.size(), std::size_t{164});
        QCOMPARE(wmpStateRecord().size(), std::size_t{164});
        QCOMPARE(bytesOf(encoded), bytesOf(wmpStateRecord()));
    }

    // Offsets counted by hand: version word, then each setting as tag and value.
    void storedBytes_data() {
        QTest::addColumn<int>("offset");
        QTest::addColumn<QByteArray>("hex");
        QTest::newRow("version 0x300") << 0 << QByteArray("00030000");
        QTest::newRow("URL empty") << 4
                                   << QByteArray("080002000000"
                                                 "0000");
        QTest::newRow("rate 1.0") << 12
                                  << QByteArray("0500"
                                                "000000000000f03f");
        QTest::newRow("playCount 1") << 46
                                     << QByteArray("0300"
                                                   "01000000");
        QTest::newRow("autoStart true") << 52
                                        << QByteArray("0b00"
                                                      "ffff");
        QTest::newRow("volume 50") << 74
                                   << QByteArray("0300"
                                                 "32000000");
        QTest::newRow("mute false") << 80
                                    << QByteArray("0b00"
                                                  "0000");
        QTest::newRow("uiMode full") << 84
                                     << QByteArray("0800"
                                                   "0a000000"
                                                   "660075006c006c00"
                                                   "0000");
        QTest::newRow("windowlessVideo true") << 104
                                              << QByteArray("0b00"
                                                            "ffff");
        QTest::newRow("captioningID empty") << 144
                                            << QByteArray("0800"
                                                          "02000000"
                                                          "0000");
        QTest::newRow("enableErrorDialogs false") << 152
                                                  << QByteArray("0b00"
                                                                "0000");
        QTest::newRow("extent 6800 x 2990") << 156
                                            << QByteArray("901a0000"
                                                          "ae0b0000");
    }
    void storedBytes() {
        QFETCH(int, offset);
        QFETCH(QByteArray, hex);
        const QByteArray expected = QByteArray::fromHex(hex);
        QCOMPARE(bytesOf(wmpStateRecord()).mid(offset, expected.size()), expected);
    }

    void decodesTheStoredRecord() {
        const PlayerSettings s = decodePlayerSettings(wmpStateRecord());
        QCOMPARE(s.volume, 50);
        QCOMPARE(s.playCount, 1);
        QVERIFY(s.autoStart);
        QCOMPARE(QString::fromStdU16String(s.uiMode), QStringLiteral("full"));
        QVERIFY(!s.enableErrorDialogs);
        QVERIFY(!s.mute);
        QVERIFY(s.url.empty());
        QCOMPARE(s.rate, 1.0);
        QCOMPARE(s.extentWidth, 6800u);
        QCOMPARE(s.extentHeight, 2990u);
    }

    void otherSettingsSurviveARoundTrip() {
        PlayerSettings s;
        s.url = u"C:\\Bells\\Jathika Geeya Half.wma";
        s.rate = 1.5;
        s.balance = -20;
        s.volume = 80;
        s.mute = true;
        s.uiMode = u"none";
        s.captioningId = u"cap";
        s.enableErrorDialogs = true;
        const std::vector<std::uint8_t> encoded = encodePlayerSettings(s);
        // Two bytes more for each of the 31 characters of the URL and the 3 of the caption id.
        QCOMPARE(encoded.size(), std::size_t{232});
        QVERIFY(decodePlayerSettings(encoded) == s);
    }

    void damagedRecordsAreRefused_data() {
        QTest::addColumn<int>("keep");    // bytes kept from the start; -1 keeps all
        QTest::addColumn<int>("patchAt"); // -1 patches nothing
        QTest::addColumn<int>("patchByte");
        QTest::addColumn<bool>("appendByte");
        QTest::newRow("empty") << 0 << -1 << 0 << false;
        QTest::newRow("half a version word") << 2 << -1 << 0 << false;
        QTest::newRow("cut inside the rate") << 16 << -1 << 0 << false;
        QTest::newRow("cut inside uiMode's text") << 92 << -1 << 0 << false;
        QTest::newRow("cut before the extent height") << 160 << -1 << 0 << false;
        QTest::newRow("one byte short") << 163 << -1 << 0 << false;
        QTest::newRow("one byte too many") << -1 << -1 << 0 << true;
        QTest::newRow("unknown version") << -1 << 1 << 0x02 << false;
        QTest::newRow("URL tagged as integer") << -1 << 4 << 0x03 << false;
        QTest::newRow("rate tagged as integer") << -1 << 12 << 0x03 << false;
        QTest::newRow("volume tagged as boolean") << -1 << 74 << 0x0b << false;
        QTest::newRow("autoStart tagged as text") << -1 << 52 << 0x08 << false;
        QTest::newRow("autoStart neither true nor false") << -1 << 54 << 0x01 << false;
        QTest::newRow("uiMode count odd") << -1 << 86 << 0x09 << false;
        QTest::newRow("uiMode count past the end") << -1 << 87 << 0x10 << false;
        QTest::newRow("uiMode not terminated") << -1 << 98 << 0x41 << false;
    }
    void damagedRecordsAreRefused() {
        QFETCH(int, keep);
        QFETCH(int, patchAt);
        QFETCH(int, patchByte);
        QFETCH(bool, appendByte);
        std::vector<std::uint8_t> record = storedRecord();
        if (patchAt >= 0)
            record[static_cast<std::size_t>(patchAt)] = static_cast<std::uint8_t>(patchByte);
        if (keep >= 0)
            record.resize(static_cast<std::size_t>(keep));
        if (appendByte)
            record.push_back(0);
        QVERIFY_THROWS_EXCEPTION(PlayerRecordError, decodePlayerSettings(record));
    }
};

QTEST_APPLESS_MAIN(PlayerRecordTest)
#include "tst_playerrecord.moc"
