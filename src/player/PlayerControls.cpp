// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "PlayerControls.h"

#include <QAction>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QSignalBlocker>
#include <QSlider>
#include <QStyle>
#include <QTextLayout>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <limits>

namespace chimewick {
namespace {

constexpr int VolumeStep = 10;

int toSliderValue(qint64 milliseconds) {
    return static_cast<int>(std::clamp<qint64>(milliseconds, 0, std::numeric_limits<int>::max()));
}

// Minutes and seconds of the recording, "mm:ss".
QString elapsedText(qint64 milliseconds) {
    const qint64 seconds = std::max<qint64>(milliseconds, 0) / 1000;
    return QStringLiteral("%1:%2")
        .arg(seconds / 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

// The style's media icons are dark glyphs meant for a light face; drawn in the palette's button
// text instead, they read on a dark scheme's buttons too.
QIcon iconInTextColour(const QWidget* w, QStyle::StandardPixmap which) {
    const QIcon standard = w->style()->standardIcon(which);
    QIcon icon;
    for (const int side : {16, 32}) {
        QPixmap pixmap = standard.pixmap(side, side);
        QPainter painter(&pixmap);
        painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
        painter.fillRect(pixmap.rect(), w->palette().color(QPalette::ButtonText));
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
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

PlayerControls::PlayerControls(QWidget* parent) : QWidget(parent) {
    setAccessibleName(QStringLiteral("Player controls"));
    QFrame* display = makeDisplay();
    makeActions();
    makeButtonsAndSliders();
    layOut(display);
}

QFrame* PlayerControls::makeDisplay() {
    auto* display = new QFrame(this);
    display->setFrameShape(QFrame::StyledPanel);
    display->setFrameShadow(QFrame::Sunken);
    display->setBackgroundRole(QPalette::Base);
    display->setAutoFillBackground(true);
    // Read out by screen readers with its lines: the bell, the standing warnings, the state.
    display->setAccessibleName(QStringLiteral("Display"));

    title_ = new ClippedText(display);
    // A long name is cut short rather than growing the player beyond its place; a line of it
    // shows always, the standing warnings taking the rest of the display while there are any.
    title_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    QFont titleFont = title_->font();
    titleFont.setBold(true);
    title_->setFont(titleFont);
    warnings_ = new ClippedText(display);
    warnings_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    QFont warningsFont = warnings_->font();
    warningsFont.setPixelSize(9);
    warnings_->setFont(warningsFont);
    warnings_->hide();
    // One line of its own, so that it never takes the room of the bell's line or the warnings.
    nextBell_ = new ClippedText(display);
    nextBell_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    // As small as the warnings, so the longest label and time left still fit the width.
    nextBell_->setFont(warningsFont);
    nextBell_->hide();
    // A line of its own too, as small, between the warnings and the next bell.
    dayNotice_ = new ClippedText(display);
    dayNotice_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    dayNotice_->setFont(warningsFont);
    dayNotice_->hide();
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
    displayLayout->addWidget(warnings_, 1);
    displayLayout->addWidget(dayNotice_);
    displayLayout->addWidget(nextBell_);
    displayLayout->addLayout(statusRow);
    return display;
}

void PlayerControls::makeActions() {
    playAction_ = new QAction(this);
    stopAction_ = new QAction(tintedIcon(QStyle::SP_MediaStop), QStringLiteral("Stop"), this);
    muteAction_ = new QAction(QStringLiteral("Mute"), this);
    muteAction_->setCheckable(true);
    auto* volumeUp = new QAction(QStringLiteral("Volume up"), this);
    auto* volumeDown = new QAction(QStringLiteral("Volume down"), this);
    connect(playAction_, &QAction::triggered, this, &PlayerControls::playPauseRequested);
    connect(stopAction_, &QAction::triggered, this, &PlayerControls::stopRequested);
    connect(muteAction_, &QAction::toggled, this, &PlayerControls::muteRequested);
    connect(volumeUp, &QAction::triggered, this,
            [this] { emit volumeRequested(volume_->value() + VolumeStep); });
    connect(volumeDown, &QAction::triggered, this,
            [this] { emit volumeRequested(volume_->value() - VolumeStep); });
    addActions({playAction_, stopAction_, muteAction_, volumeUp, volumeDown});
}

void PlayerControls::makeButtonsAndSliders() {
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
    seek_->setToolTip(QStringLiteral("Position"));
    seek_->setAccessibleName(QStringLiteral("Position"));
    seek_->setEnabled(false);
    // Every way of moving the slider (drag, click, keys) ends in one seek.
    connect(seek_, &QSlider::actionTriggered, this,
            [this] { emit seekRequested(seek_->sliderPosition()); });

    volume_ = new QSlider(Qt::Horizontal, this);
    volume_->setRange(0, 100);
    volume_->setPageStep(VolumeStep);
    volume_->setToolTip(QStringLiteral("Volume"));
    volume_->setAccessibleName(QStringLiteral("Volume"));
    volume_->setFixedWidth(90);
    connect(volume_, &QSlider::valueChanged, this, &PlayerControls::volumeRequested);
}

void PlayerControls::layOut(QFrame* display) {
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

void PlayerControls::setUiMode(const std::u16string& mode) {
    const bool buttons = mode == u"full" || mode == u"mini";
    const bool sliders = mode == u"full";
    for (QWidget* control : {static_cast<QWidget*>(playButton_), static_cast<QWidget*>(stopButton_),
                             static_cast<QWidget*>(muteButton_)})
        control->setVisible(buttons);
    seek_->setVisible(sliders);
    volume_->setVisible(sliders);
}

void PlayerControls::setTitle(const QString& title, const QString& toolTip) {
    title_->setText(title);
    title_->setToolTip(toolTip);
}

void PlayerControls::setState(PlayState state, bool canPlay, bool canStop) {
    static const QString texts[] = {QStringLiteral("Stopped"), QStringLiteral("Playing"),
                                    QStringLiteral("Paused"), QStringLiteral("Ended"),
                                    QStringLiteral("Error")};
    state_->setText(texts[static_cast<int>(state)]);
    const bool playing = state == PlayState::Playing;
    playAction_->setText(playing ? QStringLiteral("Pause") : QStringLiteral("Play"));
    playAction_->setIcon(tintedIcon(playing ? QStyle::SP_MediaPause : QStyle::SP_MediaPlay));
    playAction_->setEnabled(canPlay);
    stopAction_->setEnabled(canStop);
}

void PlayerControls::setPosition(qint64 position, qint64 duration) {
    time_->setText(QStringLiteral("%1 / %2").arg(elapsedText(position), elapsedText(duration)));
    seek_->setRange(0, toSliderValue(duration));
    if (!seek_->isSliderDown())
        seek_->setValue(toSliderValue(position));
}

void PlayerControls::setSeekable(bool seekable) {
    seek_->setEnabled(seekable);
}

void PlayerControls::setVolume(int percent, bool muted) {
    const QSignalBlocker volumeBlocker(volume_);
    volume_->setValue(percent);
    const QSignalBlocker muteBlocker(muteAction_);
    muteAction_->setChecked(muted);
    muteAction_->setText(muted ? QStringLiteral("Unmute") : QStringLiteral("Mute"));
    muteAction_->setIcon(tintedIcon(muted ? QStyle::SP_MediaVolumeMuted : QStyle::SP_MediaVolume));
}

QIcon PlayerControls::tintedIcon(QStyle::StandardPixmap which) {
    // Made once for each icon and colour: an icon made afresh at every refresh (four a second
    // while a bell plays) left its pixmaps in the toolkit's cache, some 30 kB a bell.
    const QRgb colour = palette().color(QPalette::ButtonText).rgba();
    auto [it, made] = tintedIcons_.try_emplace(which);
    if (made || it->second.colour != colour)
        it->second = {colour, iconInTextColour(this, which)};
    return it->second.icon;
}

QString PlayerControls::displayText() const {
    QString text = title_->text() + QLatin1Char('\n');
    if (!warnings_->isHidden())
        text +=
            warnings_->text().replace(QChar::LineSeparator, QLatin1Char('\n')) + QLatin1Char('\n');
    for (const QLabel* line : {dayNotice_, nextBell_})
        if (!line->isHidden())
            text += line->text() + QLatin1Char('\n');
    return text + state_->text() + QLatin1Char(' ') + time_->text();
}

void PlayerControls::setStandingWarnings(const QString& text) {
    // One warning a line, also where the display breaks its lines itself.
    warnings_->setText(QString(text).replace(QLatin1Char('\n'), QChar::LineSeparator));
    warnings_->setToolTip(text);
    warnings_->setHidden(text.isEmpty());
    if (auto* layout = qobject_cast<QBoxLayout*>(warnings_->parentWidget()->layout()))
        layout->setStretchFactor(title_, text.isEmpty() ? 1 : 0);
}

void PlayerControls::setNextBell(const QString& text) {
    showLine(nextBell_, text);
}

void PlayerControls::setDayNotice(const QString& text) {
    showLine(dayNotice_, text);
}

void PlayerControls::showLine(QLabel* line, const QString& text) {
    if (text == line->text() && line->isHidden() == text.isEmpty())
        return; // rewritten every second; repainted only when it changes
    line->setText(text);
    line->setToolTip(text);
    line->setHidden(text.isEmpty());
}

} // namespace chimewick
