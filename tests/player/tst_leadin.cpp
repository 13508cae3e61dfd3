// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "LeadIn.h"

#include <QFile>
#include <QTest>
#include <cstdint>
#include <string_view>

using namespace chimewick;

namespace {

// The beginning of an MP3 file, byte by byte as an encoder writes it.
struct Mp3Start {
    int id3Size = -1; // the ID3 tag's body, none when negative
    bool id3Footer = false;
    char versionByte = char(0xfb); // sync, MPEG-1, layer III, no CRC
    char modeByte = 0x44;          // joint stereo; 0xc4 is mono
    int sideInfo = 32;             // MPEG-1 stereo; mono 17, MPEG-2 17 and mono 9
    const char* tagName = "Xing";
    std::uint32_t flags = 0xf; // frames, bytes, table of contents, quality
    const char* encoder = "LAME";
    int delay = 576;
    int padding = 0;
};

QByteArray bytes(const Mp3Start& s) {
    QByteArray out;
    if (s.id3Size >= 0) {
        out += "ID3";
        out += char(4);
        out += char(0);
        out += char(s.id3Footer ? 0x10 : 0);
        for (const int shift : {21, 14, 7, 0}) // seven bits a byte
            out += char((s.id3Size >> shift) & 0x7f);
        out += QByteArray(s.id3Size, 'i');
        if (s.id3Footer)
            out += QByteArray("3DI") + QByteArray(7, '\0');
    }
    out += char(0xff);
    out += s.versionByte;
    out += char(0x90);
    out += s.modeByte;
    out += QByteArray(s.sideInfo, '\0');
    out += s.tagName;
    for (const int shift : {24, 16, 8, 0})
        out += char((s.flags >> shift) & 0xff);
    const int fields = (s.flags & 1 ? 4 : 0) + (s.flags & 2 ? 4 : 0) + (s.flags & 4 ? 100 : 0) +
                       (s.flags & 8 ? 4 : 0);
    out += QByteArray(fields, 'x');
    // The encoder's tag: its name and version in 9 bytes, then, 21 bytes in, the delay and the
    // padding in 12 bits each.
    out += QByteArray(s.encoder).leftJustified(21, '.');
    out += char(s.delay >> 4);
    out += char((s.delay & 0xf) << 4 | (s.padding >> 8));
    out += char(s.padding & 0xff);
    out += QByteArray(400, '\0'); // the frame's sound and the next frames
    return out;
}

Mp3Start with(auto change) {
    Mp3Start s;
    change(s);
    return s;
}

// An ASF header whose streams are of the given types and codecs, after a file properties
// object; codec 0 for a video stream.
QByteArray asfHead(std::initializer_list<int> codecs) {
    const auto guid = [](const char* hex) { return QByteArray::fromHex(hex); };
    const auto little = [](quint64 value, int bytes) {
        QByteArray out;
        for (int i = 0; i < bytes; ++i)
            out += char((value >> (8 * i)) & 0xff);
        return out;
    };
    const auto object = [&](const QByteArray& id, const QByteArray& body) {
        return id + little(quint64(24 + body.size()), 8) + body;
    };
    QByteArray objects = object(guid("a1dcab8c47a9cf118ee400c00c205365"), QByteArray(80, 'p'));
    for (const int codec : codecs) {
        QByteArray body = guid(codec ? "409e69f84d5bcf11a8fd00805f5c442b"   // sound
                                     : "c0ef19bc4d5bcf11a8fd00805f5c442b"); // video
        body += QByteArray(16 + 8, '\0') + little(18, 4) + QByteArray(4 + 2 + 4, '\0');
        body += little(quint64(codec), 2) + little(1, 2) + little(44100, 4) + QByteArray(12, 'w');
        objects += object(guid("9107dcb7b7a9cf118ee600c00c205365"), body);
    }
    return guid("3026b2758e66cf11a6d900aa0062ce6c") + little(quint64(30 + objects.size()), 8) +
           little(quint64(1 + codecs.size()), 4) + char(1) + char(2) + objects;
}

int leadIn(const QByteArray& head) {
    return mp3LeadIn(std::string_view(head.constData(), std::size_t(head.size())));
}

} // namespace

class TestLeadIn : public QObject {
    Q_OBJECT

private slots:
    // One frame, whose length the format sets by the sample rate (and, at 32 kHz, the version).
    void wma_data() {
        QTest::addColumn<int>("version");
        QTest::addColumn<int>("rate");
        QTest::addColumn<int>("samples");
        QTest::newRow("8 kHz") << 2 << 8000 << 512;
        QTest::newRow("16 kHz") << 2 << 16000 << 512;
        QTest::newRow("just over 16 kHz") << 2 << 16001 << 1024;
        QTest::newRow("22.05 kHz") << 2 << 22050 << 1024;
        QTest::newRow("just over 22.05 kHz, version 2") << 2 << 22051 << 2048;
        QTest::newRow("32 kHz, version 1") << 1 << 32000 << 1024;
        QTest::newRow("32 kHz, version 2") << 2 << 32000 << 2048;
        QTest::newRow("just over 32 kHz, version 1") << 1 << 32001 << 2048;
        QTest::newRow("44.1 kHz, version 1") << 1 << 44100 << 2048;
        QTest::newRow("48 kHz, version 2") << 2 << 48000 << 2048;
        QTest::newRow("no rate") << 2 << 0 << 0;
        QTest::newRow("a negative rate") << 2 << -44100 << 0;
    }
    void wma() {
        QFETCH(int, version);
        QFETCH(int, rate);
        QFETCH(int, samples);
        QCOMPARE(wmaLeadIn(version, rate), samples);
    }

    // The codec of the first sound stream, from the ASF header; none for other codecs or files.
    void asf_data() {
        QTest::addColumn<QByteArray>("head");
        QTest::addColumn<int>("version");
        QTest::newRow("version 1") << asfHead({0x160}) << 1;
        QTest::newRow("version 2") << asfHead({0x161}) << 2;
        QTest::newRow("after a video stream") << asfHead({0, 0x160}) << 1;
        QTest::newRow("the first of two sound streams") << asfHead({0x161, 0x160}) << 2;
        QTest::newRow("WMA Pro") << asfHead({0x162}) << 0;
        QTest::newRow("video alone") << asfHead({0}) << 0;
        QTest::newRow("cut inside the codec") << asfHead({0x161}).chopped(19) << 0;
        QTest::newRow("not ASF") << bytes({}) << 0;
        QTest::newRow("nothing") << QByteArray() << 0;
    }
    void asf() {
        QFETCH(QByteArray, head);
        QFETCH(int, version);
        QCOMPARE(asfWmaVersion(std::string_view(head.constData(), std::size_t(head.size()))),
                 version);
    }

    // Real files, as ffprobe names their codecs.
    void asfFiles_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("version");
        const QString sounds = QStringLiteral(CHIMEWICK_SOUNDS_DIR "/");
        const QString others = QStringLiteral(CHIMEWICK_THIRD_PARTY_DIR "/");
        QTest::newRow("belle.wma") << sounds + "belle.wma" << 2;
        QTest::newRow("real_example.wma") << others + "real_example.wma" << 2;
        QTest::newRow("lossless.wma") << others + "lossless.wma" << 0;
        QTest::newRow("bell.mp3") << sounds + "bell.mp3" << 0;
    }
    void asfFiles() {
        QFETCH(QString, file);
        QFETCH(int, version);
        QFile in(file);
        QVERIFY2(in.open(QIODevice::ReadOnly), qPrintable(file));
        const QByteArray head = in.read(qint64(AsfHeadBytes));
        QCOMPARE(asfWmaVersion(std::string_view(head.constData(), std::size_t(head.size()))),
                 version);
    }

    // The encoder's delay and the decoder's 529 samples, wherever the tag lies; nothing when
    // the file does not say.
    void mp3_data() {
        QTest::addColumn<QByteArray>("head");
        QTest::addColumn<int>("samples");
        const QByteArray lame = bytes({});
        QTest::newRow("LAME, every Xing field") << lame << 576 + 529;
        QTest::newRow("no Xing field") << bytes(with([](auto& s) { s.flags = 0; })) << 1105;
        QTest::newRow("frames and quality only")
            << bytes(with([](auto& s) { s.flags = 0x9; })) << 1105;
        QTest::newRow("table of contents only")
            << bytes(with([](auto& s) { s.flags = 0x4; })) << 1105;
        QTest::newRow("Info, constant bit rate")
            << bytes(with([](auto& s) { s.tagName = "Info"; })) << 1105;
        QTest::newRow("mono") << bytes(with([](auto& s) {
            s.modeByte = char(0xc4);
            s.sideInfo = 17;
        })) << 1105;
        QTest::newRow("MPEG-2") << bytes(with([](auto& s) {
            s.versionByte = char(0xf3);
            s.sideInfo = 17;
        })) << 1105;
        QTest::newRow("MPEG-2 mono") << bytes(with([](auto& s) {
            s.versionByte = char(0xf3);
            s.modeByte = char(0xc4);
            s.sideInfo = 9;
        })) << 1105;
        QTest::newRow("FFmpeg's encoder, its padding beside") << bytes(with([](auto& s) {
            s.encoder = "Lavc";
            s.delay = 1152;
            s.padding = 0xfff;
        })) << 1152 + 529;
        QTest::newRow("FFmpeg's muxer") << bytes(with([](auto& s) { s.encoder = "Lavf"; })) << 1105;
        QTest::newRow("LAME 3.9x") << bytes(with([](auto& s) { s.encoder = "L3.9"; })) << 1105;
        QTest::newRow("the longest delay")
            << bytes(with([](auto& s) { s.delay = 4095; })) << 4095 + 529;
        QTest::newRow("after an ID3 tag") << bytes(with([](auto& s) { s.id3Size = 300; })) << 1105;
        QTest::newRow("after an ID3 tag with a footer") << bytes(with([](auto& s) {
            s.id3Size = 300;
            s.id3Footer = true;
        })) << 1105;
        QTest::newRow("cut right after the delay") << lame.left(lame.indexOf("LAME") + 24) << 1105;

        QTest::newRow("cut inside the delay") << lame.left(lame.indexOf("LAME") + 23) << 0;
        QTest::newRow("cut inside the Xing tag") << lame.left(lame.indexOf("Xing") + 7) << 0;
        QTest::newRow("cut inside the frame header") << lame.left(3) << 0;
        QTest::newRow("nothing") << QByteArray() << 0;
        QTest::newRow("an ID3 tag longer than the head")
            << bytes(with([](auto& s) { s.id3Size = 300; })).left(200) << 0;
        QTest::newRow("another encoder") << bytes(with([](auto& s) { s.encoder = "GOGO"; })) << 0;
        QTest::newRow("a Xing tag without an encoder's")
            << bytes(with([](auto& s) { s.encoder = ""; })) << 0;
        QTest::newRow("no Xing tag") << bytes(with([](auto& s) { s.tagName = "Xinf"; })) << 0;
        QTest::newRow("Xing where mono's tag would be")
            << bytes(with([](auto& s) { s.modeByte = char(0xc4); })) << 0;
        QTest::newRow("layer II") << bytes(with([](auto& s) { s.versionByte = char(0xfd); })) << 0;
        QTest::newRow("no frame sync") << bytes(with([](auto& s) { s.versionByte = 0x7b; })) << 0;
    }
    void mp3() {
        QFETCH(QByteArray, head);
        QFETCH(int, samples);
        QCOMPARE(leadIn(head), samples);
    }

    // Real files, beside the start time FFmpeg's own reading gives them (ffprobe's start_time
    // times the rate): 1105 samples for LAME's files, none for those without its tag.
    void mp3Files_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("samples");
        const QString sounds = QStringLiteral(CHIMEWICK_SOUNDS_DIR "/");
        const QString others = QStringLiteral(CHIMEWICK_THIRD_PARTY_DIR "/");
        QTest::newRow("bell.mp3") << sounds + "bell.mp3" << 1105;
        QTest::newRow("Jathika Geeya.mp3") << sounds + "Jathika Geeya.mp3" << 1105;
        QTest::newRow("lame_vbr.mp3") << others + "lame_vbr.mp3" << 1105;
        QTest::newRow("mpeg2.mp3") << others + "mpeg2.mp3" << 1105;
        QTest::newRow("xing.mp3") << others + "xing.mp3" << 0;
        QTest::newRow("bladeenc.mp3") << others + "bladeenc.mp3" << 0;
        QTest::newRow("garbage.mp3") << others + "garbage.mp3" << 0;
    }
    void mp3Files() {
        QFETCH(QString, file);
        QFETCH(int, samples);
        QFile in(file);
        QVERIFY2(in.open(QIODevice::ReadOnly), qPrintable(file));
        QCOMPARE(leadIn(in.readAll()), samples);
    }
};

QTEST_APPLESS_MAIN(TestLeadIn)
#include "tst_leadin.moc"
