// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "BellPlayer.h"

#include <QAction>
#include <QAudioOutput>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLibrary>
#include <QPainter>
#include <QSignalBlocker>
#include <QSlider>
#include <QStyle>
#include <QTextLayout>
#include <QThreadPool>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <mutex>

namespace chimewick {
namespace {

constexpr int volumeStep = 10;
// Opening a bell takes well under a second; one still loading after this long will not sound.
constexpr int openTimeoutSeconds = 5;

// A prompt start under Qt 6.4's GStreamer backend. Qt leaves its pulsesink at GStreamer's
// defaults: a 200 ms buffer (the server grants about 110 ms) and a 20 ms processing deadline.
// Every bell's first sample is queued behind that whole latency, about 130 ms of silence,
// after a 20 ms wait; and the first bell of a run also loads the decoders' plugins (libav
// alone takes about 90 ms). Qt gives no access to its pipeline, so the sink is tuned when
// GStreamer adds it to a bin, and the plugins are loaded beside the window at start. The
// few GLib and GStreamer calls are resolved at run time: the build needs no GStreamer
// headers, and under another backend nothing happens.
namespace prompt {

// Small enough to start a bell within about 60 ms, large enough that a busy computer does not
// starve the sound server.
constexpr std::int64_t bufferTimeUs = 50000;
constexpr std::int64_t latencyTimeUs = 10000;
// The time granted to the stages before the sink, added to the latency and waited out at every
// start; a bell is read from a file and decoded ahead of the sink, so a short one does.
constexpr std::uint64_t processingDeadlineNs = 5000000;

// The plugins that opening a WMA, MP3 or WAV bell loads.
constexpr const char* plugins[] = {
    "typefindfunctions", // what kind of file it is
    "playback",          // decodebin
    "asf",               // the WMA file's container
    "libav",             // the WMA decoder
    "id3demux",          // an MP3 file's tags
    "audioparsers",      // the MP3 parser
    "mpg123",            // the MP3 decoder
    "wavparse",          // the WAV file
    "audioconvert",      // the output, down to its sink
    "audioresample",
    "volume",
    "pulseaudio",
};

using GType = std::size_t;
// GLib's GValue: its type and two 8-byte words, a layout fixed by GLib's stable ABI.
struct GValue {
    GType type;
    std::uint64_t data[2];
};
using EmissionHook = int (*)(void* hint, unsigned count, const GValue* values, void* data);

struct Api {
    GType (*typeFromName)(const char*) = nullptr;
    unsigned (*signalLookup)(const char*, GType) = nullptr;
    unsigned long (*addEmissionHook)(unsigned, unsigned, EmissionHook, void*,
                                     void (*)(void*)) = nullptr;
    void* (*valueGetObject)(const GValue*) = nullptr;
    const char* (*typeNameFromInstance)(void*) = nullptr;
    void (*objectSet)(void*, const char*, ...) = nullptr;
    int (*isInitialized)() = nullptr;
    void* (*pluginLoadByName)(const char*) = nullptr;
    void (*objectUnref)(void*) = nullptr;

    bool complete() const {
        return typeFromName && signalLookup && addEmissionHook && valueGetObject &&
               typeNameFromInstance && objectSet && isInitialized && pluginLoadByName &&
               objectUnref;
    }
};

template<typename Function> void resolve(QLibrary& library, const char* name, Function& function) {
    // From the generic function pointer that resolve() gives to the real signature.
    function = reinterpret_cast<Function>(library.resolve(name));
}

// The libraries are those that the backend has already loaded; they stay loaded.
Api loadApi() {
    Api api;
    QLibrary gobject(QStringLiteral("gobject-2.0"), 0);
    QLibrary gstreamer(QStringLiteral("gstreamer-1.0"), 0);
    resolve(gobject, "g_type_from_name", api.typeFromName);
    resolve(gobject, "g_signal_lookup", api.signalLookup);
    resolve(gobject, "g_signal_add_emission_hook", api.addEmissionHook);
    resolve(gobject, "g_value_get_object", api.valueGetObject);
    resolve(gobject, "g_type_name_from_instance", api.typeNameFromInstance);
    resolve(gobject, "g_object_set", api.objectSet);
    resolve(gstreamer, "gst_is_initialized", api.isInitialized);
    resolve(gstreamer, "gst_plugin_load_by_name", api.pluginLoadByName);
    resolve(gstreamer, "gst_object_unref", api.objectUnref);
    return api;
}

const Api& api() {
    static const Api loaded = loadApi();
    return loaded;
}

// Runs on every element that any bin of the process takes in; tunes the pulsesinks.
int onElementAdded(void*, unsigned count, const GValue* values, void*) {
    if (count < 2)
        return 1;
    void* element = api().valueGetObject(&values[1]);
    if (element && std::strcmp(api().typeNameFromInstance(element), "GstPulseSink") == 0)
        api().objectSet(element, "buffer-time", bufferTimeUs, "latency-time", latencyTimeUs,
                        "processing-deadline", processingDeadlineNs,
                        static_cast<const char*>(nullptr));
    return 1; // stay installed
}

// Once per process, after the backend has started GStreamer and before the player's output
// makes its sink.
void startPromptly() {
    static std::once_flag once;
    std::call_once(once, [] {
        if (!api().complete() || !api().isInitialized())
            return;
        const GType bin = api().typeFromName("GstBin");
        const unsigned elementAdded = bin ? api().signalLookup("element-added", bin) : 0;
        if (elementAdded)
            api().addEmissionHook(elementAdded, 0, onElementAdded, nullptr, nullptr);
        // Off the window's thread, so the window shows at once; the pool waits for it at exit.
        QThreadPool::globalInstance()->start([] {
            for (const char* name : plugins)
                if (void* plugin = api().pluginLoadByName(name))
                    api().objectUnref(plugin);
        });
    });
}

} // namespace prompt

int toSliderValue(qint64 milliseconds) {
    return static_cast<int>(std::clamp<qint64>(milliseconds, 0, std::numeric_limits<int>::max()));
}

QString clockText(qint64 milliseconds) {
    const qint64 seconds = std::max<qint64>(milliseconds, 0) / 1000;
    return QStringLiteral("%1:%2")
        .arg(seconds / 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

// The one file in the folder whose name matches ignoring letter case. None when there is no
// such file or more than one: guessing between two would ring the wrong bell.
QString caseInsensitiveMatch(const QFileInfo& wanted) {
    const QString name = wanted.fileName();
    if (name.isEmpty())
        return {};
    const QDir folder = wanted.absoluteDir();
    QString found;
    const QStringList entries = folder.entryList(QDir::Files | QDir::Hidden);
    for (const QString& entry : entries) {
        if (entry.compare(name, Qt::CaseInsensitive) != 0)
            continue;
        if (!found.isEmpty())
            return {};
        found = folder.filePath(entry);
    }
    return found;
}

// Cheap checks on the file system, so that the common faults (a missing or misnamed file)
// are told in plain words rather than in the decoder's. Returns why the file cannot play, or
// nothing; path becomes the file to open.
QString fileProblem(QString& path) {
    QFileInfo info(path);
    if (!info.exists()) {
        const QString match = caseInsensitiveMatch(info);
        if (match.isEmpty())
            return QStringLiteral("file not found");
        path = match;
        info.setFile(path);
    }
    if (info.isDir())
        return QStringLiteral("it is a folder, not a file");
    // Pipes and devices could block the decoder or never end.
    if (!info.isFile())
        return QStringLiteral("not a regular file");
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("file cannot be read (%1)").arg(file.errorString());
    if (file.size() == 0)
        return QStringLiteral("file is empty");
    return {};
}

QString shownName(const QString& path) {
    const QString name = QFileInfo(path).fileName();
    return name.isEmpty() ? path : name;
}

// A label that shows as many whole lines of its text as fit, the last one cut short with an
// ellipsis: a long notice must not spill over the status line below it.
class ClippedText final : public QLabel {
public:
    using QLabel::QLabel;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setPen(palette().color(foregroundRole()));
        const QRect area = contentsRect();
        const QFontMetrics metrics = fontMetrics();
        const QString content = text();
        const int lines = std::max(1, area.height() / metrics.lineSpacing());
        QTextLayout layout(content, font());
        QTextOption option;
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout.setTextOption(option);
        layout.beginLayout();
        int y = area.top() + metrics.ascent();
        for (int n = 0; n < lines; ++n, y += metrics.lineSpacing()) {
            QTextLine line = layout.createLine();
            if (!line.isValid())
                break;
            line.setLineWidth(area.width());
            const bool last = n == lines - 1;
            const QString shown = last ? metrics.elidedText(content.mid(line.textStart()),
                                                            Qt::ElideRight, area.width())
                                       : content.mid(line.textStart(), line.textLength());
            painter.drawText(QPoint(area.left(), y), shown);
        }
        layout.endLayout();
    }
};

} // namespace

BellPlayer::BellPlayer(const PlayerSettings& settings, QWidget* parent)
    : QWidget(parent), player_(new QMediaPlayer(this)) {
    // The player has started the media backend; its output is made once the backend is set
    // for a prompt start, so that the output's sink is tuned too.
    prompt::startPromptly();
    output_ = new QAudioOutput(this);
    // Made once: building a pipeline and opening the sound device for every ring would delay
    // each bell.
    player_->setAudioOutput(output_);
    // Qt's GStreamer backend now and then drops a decoder's error, leaving the player loading
    // for ever; the bell must not fail in silence then.
    openWatch_ = new QTimer(this);
    openWatch_->setSingleShot(true);
    openWatch_->setInterval(openTimeoutSeconds * 1000);
    connect(openWatch_, &QTimer::timeout, this, [this] {
        if (player_->mediaStatus() != QMediaPlayer::LoadingMedia)
            return;
        player_->setSource(QUrl());
        reportFailure(tr("it did not open within %1 seconds").arg(openTimeoutSeconds),
                      QStringLiteral("no answer from the decoder"));
    });
    buildControls();
    applySettings(settings);

    connect(player_, &QMediaPlayer::mediaStatusChanged, this, &BellPlayer::onMediaStatusChanged);
    connect(player_, &QMediaPlayer::errorOccurred, this, &BellPlayer::onErrorOccurred);
    connect(player_, &QMediaPlayer::playbackStateChanged, this, &BellPlayer::refreshState);
    connect(player_, &QMediaPlayer::positionChanged, this, &BellPlayer::refreshTime);
    connect(player_, &QMediaPlayer::durationChanged, this, &BellPlayer::refreshTime);
    connect(player_, &QMediaPlayer::seekableChanged, seek_, &QWidget::setEnabled);
    connect(output_, &QAudioOutput::volumeChanged, this, &BellPlayer::refreshVolume);
    connect(output_, &QAudioOutput::mutedChanged, this, &BellPlayer::refreshVolume);

    title_->setText(tr("Ready"));
    refreshState();
    refreshTime();
    refreshVolume();
}

void BellPlayer::buildControls() {
    auto* display = new QFrame(this);
    display->setFrameShape(QFrame::StyledPanel);
    display->setFrameShadow(QFrame::Sunken);
    display->setBackgroundRole(QPalette::Base);
    display->setAutoFillBackground(true);

    title_ = new ClippedText(display);
    // A long name is cut short rather than growing the player beyond its place.
    title_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    QFont titleFont = title_->font();
    titleFont.setBold(true);
    title_->setFont(titleFont);
    state_ = new QLabel(display);
    time_ = new QLabel(display);
    time_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    auto* statusRow = new QHBoxLayout;
    statusRow->setContentsMargins(0, 0, 0, 0);
    statusRow->addWidget(state_);
    statusRow->addStretch();
    statusRow->addWidget(time_);
    auto* displayLayout = new QVBoxLayout(display);
    displayLayout->setContentsMargins(4, 2, 4, 2);
    displayLayout->setSpacing(0);
    displayLayout->addWidget(title_, 1);
    displayLayout->addLayout(statusRow);

    playAction_ = new QAction(this);
    stopAction_ = new QAction(style()->standardIcon(QStyle::SP_MediaStop), tr("Stop"), this);
    muteAction_ = new QAction(tr("Mute"), this);
    muteAction_->setCheckable(true);
    volumeUpAction_ = new QAction(tr("Volume up"), this);
    volumeDownAction_ = new QAction(tr("Volume down"), this);
    connect(playAction_, &QAction::triggered, this, &BellPlayer::togglePlayPause);
    connect(stopAction_, &QAction::triggered, player_, &QMediaPlayer::stop);
    connect(muteAction_, &QAction::toggled, output_, &QAudioOutput::setMuted);
    connect(volumeUpAction_, &QAction::triggered, this, [this] { stepVolume(volumeStep); });
    connect(volumeDownAction_, &QAction::triggered, this, [this] { stepVolume(-volumeStep); });
    addActions({playAction_, stopAction_, muteAction_, volumeUpAction_, volumeDownAction_});

    const auto makeButton = [this](QAction* action) {
        auto* button = new QToolButton(this);
        button->setDefaultAction(action);
        button->setAutoRaise(true);
        button->setIconSize(QSize(16, 16));
        button->setFocusPolicy(Qt::TabFocus);
        return button;
    };
    playButton_ = makeButton(playAction_);
    stopButton_ = makeButton(stopAction_);
    muteButton_ = makeButton(muteAction_);

    seek_ = new QSlider(Qt::Horizontal, this);
    seek_->setToolTip(tr("Position"));
    seek_->setEnabled(false);
    // Every way of moving the slider (drag, click, keys) ends in one seek.
    connect(seek_, &QSlider::actionTriggered, this,
            [this] { player_->setPosition(seek_->sliderPosition()); });

    volume_ = new QSlider(Qt::Horizontal, this);
    volume_->setRange(0, 100);
    volume_->setPageStep(volumeStep);
    volume_->setToolTip(tr("Volume"));
    volume_->setFixedWidth(90);
    connect(volume_, &QSlider::valueChanged, this,
            [this](int value) { output_->setVolume(static_cast<float>(value) / 100.0f); });

    auto* buttonRow = new QHBoxLayout;
    buttonRow->setContentsMargins(0, 0, 0, 0);
    buttonRow->setSpacing(2);
    buttonRow->addWidget(playButton_);
    buttonRow->addWidget(stopButton_);
    buttonRow->addStretch();
    buttonRow->addWidget(muteButton_);
    buttonRow->addWidget(volume_);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(3, 3, 3, 3);
    layout->setSpacing(2);
    layout->addWidget(display, 1);
    layout->addWidget(seek_);
    layout->addLayout(buttonRow);
}

void BellPlayer::applySettings(const PlayerSettings& settings) {
    output_->setVolume(static_cast<float>(std::clamp(settings.volume, 0, 100)) / 100.0f);
    output_->setMuted(settings.mute);
    player_->setLoops(std::max(settings.playCount, 1));
    player_->setPlaybackRate(settings.rate > 0.0 ? settings.rate : 1.0);
    autoStart_ = settings.autoStart;

    // "mini" keeps the buttons and drops the sliders; "none" and "invisible" show the
    // display alone.
    const bool buttons = settings.uiMode == u"full" || settings.uiMode == u"mini";
    const bool sliders = settings.uiMode == u"full";
    for (QWidget* control : {static_cast<QWidget*>(playButton_), static_cast<QWidget*>(stopButton_),
                             static_cast<QWidget*>(muteButton_)})
        control->setVisible(buttons);
    seek_->setVisible(sliders);
    volume_->setVisible(sliders);

    setEnabled(settings.enabled);
    setContextMenuPolicy(settings.enableContextMenu ? Qt::ActionsContextMenu : Qt::NoContextMenu);
    // enableErrorDialogs is not consulted: this player never opens a dialog.
}

void BellPlayer::setUrl(const QString& path) {
    url_ = path;
    failed_ = false;
    openWatch_->stop();
    if (path.isEmpty()) {
        filePath_.clear();
        player_->setSource(QUrl());
        showNotice(tr("Ready"));
        refreshState();
        refreshTime();
        return;
    }

    QString file = path;
    const QString problem = fileProblem(file);
    filePath_ = file;
    if (!problem.isEmpty()) {
        // The new bell replaces the old one even when it cannot sound.
        player_->setSource(QUrl());
        reportFailure(problem);
        return;
    }

    title_->setText(shownName(file));
    title_->setToolTip(QDir::toNativeSeparators(file));
    const QUrl source = QUrl::fromLocalFile(QFileInfo(file).absoluteFilePath());
    // The same bell again is let go and opened afresh, so it starts from its beginning:
    // QMediaPlayer ignores a source it already has, and stopping and playing an ended
    // file on a sound server now and then left the bell silent.
    if (source == player_->source())
        player_->setSource(QUrl());
    player_->setSource(source);
    if (autoStart_)
        player_->play();
    openWatch_->start();
    refreshState();
    refreshTime();
}

QString BellPlayer::url() const {
    return url_;
}

void BellPlayer::showNotice(const QString& text) {
    title_->setText(text);
    title_->setToolTip(text);
}

QString BellPlayer::displayText() const {
    return title_->text() + QLatin1Char('\n') + state_->text() + QLatin1Char(' ') + time_->text();
}

QMediaPlayer* BellPlayer::mediaPlayer() const {
    return player_;
}

QAudioOutput* BellPlayer::audioOutput() const {
    return output_;
}

QSize BellPlayer::sizeHint() const {
    return {257, 113};
}

void BellPlayer::reportFailure(const QString& reason, const QString& detail) {
    if (failed_)
        return;
    failed_ = true;
    openWatch_->stop();
    const QString message = tr("Cannot play %1: %2").arg(shownName(filePath_), reason);
    showNotice(message);
    refreshState();
    refreshTime();

    // One line, whatever the path or the decoder's words hold.
    QString line = QStringLiteral("chimewick: Cannot play %1: %2")
                       .arg(QDir::toNativeSeparators(filePath_), reason);
    if (!detail.isEmpty())
        line += QStringLiteral(" (%1)").arg(detail);
    line.replace(QLatin1Char('\n'), QLatin1Char(' ')).replace(QLatin1Char('\r'), QLatin1Char(' '));
    std::fprintf(stderr, "%s\n", line.toLocal8Bit().constData());
    std::fflush(stderr);

    emit playbackFailed(message);
}

void BellPlayer::onMediaStatusChanged(QMediaPlayer::MediaStatus status) {
    if (status != QMediaPlayer::LoadingMedia)
        openWatch_->stop();
    if (status == QMediaPlayer::InvalidMedia)
        reportFailure(tr("not a sound the player can decode"), player_->errorString());
    refreshState();
}

void BellPlayer::onErrorOccurred(QMediaPlayer::Error error, const QString& errorString) {
    if (error == QMediaPlayer::NoError || player_->source().isEmpty())
        return;
    const QString reason = error == QMediaPlayer::AccessDeniedError
                               ? tr("access denied")
                               : tr("not a sound the player can decode");
    reportFailure(reason, errorString);
}

void BellPlayer::togglePlayPause() {
    if (player_->playbackState() == QMediaPlayer::PlayingState) {
        player_->pause();
    } else if (failed_ || player_->source().isEmpty()) {
        // Play after a fault tries the file again: it may have been put right meanwhile.
        if (!url_.isEmpty())
            setUrl(url_);
    } else {
        player_->play();
    }
}

void BellPlayer::stepVolume(int delta) {
    volume_->setValue(volume_->value() + delta);
}

void BellPlayer::refreshState() {
    const QMediaPlayer::PlaybackState playback = player_->playbackState();
    QString text;
    if (failed_)
        text = tr("Error");
    else if (player_->mediaStatus() == QMediaPlayer::EndOfMedia)
        text = tr("Ended");
    else if (playback == QMediaPlayer::PlayingState)
        text = tr("Playing");
    else if (playback == QMediaPlayer::PausedState)
        text = tr("Paused");
    else
        text = tr("Stopped");
    state_->setText(text);

    const bool playing = playback == QMediaPlayer::PlayingState;
    playAction_->setText(playing ? tr("Pause") : tr("Play"));
    playAction_->setIcon(
        style()->standardIcon(playing ? QStyle::SP_MediaPause : QStyle::SP_MediaPlay));
    playAction_->setEnabled(!url_.isEmpty());
    stopAction_->setEnabled(playback != QMediaPlayer::StoppedState);
}

void BellPlayer::refreshTime() {
    const qint64 duration = failed_ ? 0 : player_->duration();
    const qint64 position = failed_ ? 0 : player_->position();
    time_->setText(QStringLiteral("%1 / %2").arg(clockText(position), clockText(duration)));
    seek_->setRange(0, toSliderValue(duration));
    if (!seek_->isSliderDown())
        seek_->setValue(toSliderValue(position));
}

void BellPlayer::refreshVolume() {
    const QSignalBlocker volumeBlocker(volume_);
    volume_->setValue(qRound(output_->volume() * 100.0f));
    const QSignalBlocker muteBlocker(muteAction_);
    const bool muted = output_->isMuted();
    muteAction_->setChecked(muted);
    muteAction_->setText(muted ? tr("Unmute") : tr("Mute"));
    muteAction_->setIcon(
        style()->standardIcon(muted ? QStyle::SP_MediaVolumeMuted : QStyle::SP_MediaVolume));
}

} // namespace chimewick
