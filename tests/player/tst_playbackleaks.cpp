// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

// A school leaves the player running all term: what a bell makes must go with it. GStreamer's
// leaks tracer counts, by type, every object and buffer made and let go while the player plays
// and replaces bells; the sound server counts its streams.

#include "Playback.h"

#include <QProcess>
#include <QSignalSpy>
#include <QTest>
#include <gst/gst.h>
#include <map>
#include <string>

using chimewick::Playback;
using chimewick::PlayState;

namespace {

using Counts = std::map<std::string, int>;

GstTracer* leaksTracer() {
    GstTracer* found = nullptr;
    GList* tracers = gst_tracing_get_active_tracers();
    for (GList* t = tracers; t; t = t->next)
        if (!found && g_strcmp0(G_OBJECT_TYPE_NAME(t->data), "GstLeaksTracer") == 0)
            found = GST_TRACER(gst_object_ref(t->data));
    g_list_free_full(tracers, gst_object_unref);
    return found;
}

// What was made since the previous checkpoint and is still alive, by type. Only names and
// addresses are read: the objects themselves may be going on another thread meanwhile. An object
// made before counting began and let go meanwhile is no concern of the count.
Counts madeAndAlive(GstTracer* tracer) {
    GstStructure* checkpoint = nullptr;
    g_signal_emit_by_name(tracer, "activity-get-checkpoint", &checkpoint);
    const auto entries = [checkpoint](const char* field) {
        std::multimap<std::string, std::string> byAddress;
        const GValue* list = gst_structure_get_value(checkpoint, field);
        for (guint i = 0; i < gst_value_list_get_size(list); ++i) {
            const GstStructure* e = gst_value_get_structure(gst_value_list_get_value(list, i));
            byAddress.emplace(gst_structure_get_string(e, "address"),
                              gst_structure_get_string(e, "type-name"));
        }
        return byAddress;
    };
    auto made = entries("objects-created-list");
    const auto gone = entries("objects-removed-list");
    gst_structure_free(checkpoint);
    // An address may serve one object after another: each going cancels one making.
    for (const auto& [address, type] : gone)
        if (auto it = made.find(address); it != made.end())
            made.erase(it);
    Counts counts;
    for (const auto& [address, type] : made)
        ++counts[type];
    return counts;
}

QString describe(const Counts& counts) {
    QStringList parts;
    for (const auto& [type, count] : counts)
        parts << QStringLiteral("%1 %2").arg(QString::fromStdString(type)).arg(count);
    return parts.join(QStringLiteral(", "));
}

int serverStreams() {
    QProcess pactl;
    pactl.start(QStringLiteral("pactl"),
                {QStringLiteral("list"), QStringLiteral("short"), QStringLiteral("sink-inputs")});
    if (!pactl.waitForFinished(10000) || pactl.exitCode() != 0)
        return -1;
    return static_cast<int>(pactl.readAllStandardOutput().count('\n'));
}

QString shipped(const char* name) {
    return QStringLiteral(CHIMEWICK_SOUNDS_DIR "/") + QString::fromUtf8(name);
}

} // namespace

class TestPlaybackLeaks : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void bellsLeaveNothing_data();
    void bellsLeaveNothing();
};

void TestPlaybackLeaks::initTestCase() {
    // Read once, when GStreamer starts: before the first player.
    qputenv("GST_TRACERS", "leaks");
    QCOMPARE(serverStreams(), 0);
}

void TestPlaybackLeaks::bellsLeaveNothing_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("heldReady");
    QTest::newRow("WMA") << shipped("BellStart.wma") << false;
    QTest::newRow("MP3") << shipped("bell.mp3") << false;
    QTest::newRow("WAV") << shipped("Shareera Suwatha 2.wav") << false;
    QTest::newRow("WMA held ready") << shipped("period2.wma") << true;
    QTest::newRow("MP3 held ready") << shipped("pgee.mp3") << true;
}

void TestPlaybackLeaks::bellsLeaveNothing() {
    QFETCH(QString, file);
    QFETCH(bool, heldReady);
    constexpr int Bells = 100;
    Playback playback;
    // A first bell, so that what lives as long as the process (the decoders' tables, the
    // server's connection) is made before counting starts.
    playback.setUrl(file);
    QTRY_VERIFY_WITH_TIMEOUT(playback.duration() > 0, 5000);
    playback.stop();
    QTRY_COMPARE_WITH_TIMEOUT(serverStreams(), 0, 5000);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    GstTracer* tracer = leaksTracer();
    QVERIFY2(tracer, "GStreamer's leaks tracer did not start");
    g_signal_emit_by_name(tracer, "activity-start-tracking");

    QSignalSpy changed(&playback, &Playback::changed);
    for (int i = 0; i < Bells; ++i) {
        if (heldReady) {
            playback.prepare(file);
            QTRY_VERIFY_WITH_TIMEOUT(!playback.preparedFile().isEmpty(), 5000);
        }
        playback.setUrl(file); // replaces the bell before it
        // Opened, its output ready, and playing for a moment before the next replaces it.
        QTRY_VERIFY_WITH_TIMEOUT(playback.duration() > 0, 5000);
        QCOMPARE(playback.state(), PlayState::Playing);
        QTest::qWait(20);
    }
    playback.stop();
    playback.dropPrepared();
    // The last ones go on the next turn of the event loop; their streams with them.
    QTRY_COMPARE_WITH_TIMEOUT(serverStreams(), 0, 5000);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    const Counts left = madeAndAlive(tracer);
    g_signal_emit_by_name(tracer, "activity-stop-tracking");
    gst_object_unref(tracer);
    QVERIFY2(left.empty(),
             qPrintable(
                 QStringLiteral("left behind after %1 bells: %2").arg(Bells).arg(describe(left))));
}

QTEST_GUILESS_MAIN(TestPlaybackLeaks)
#include "tst_playbackleaks.moc"
