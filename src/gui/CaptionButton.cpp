// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "CaptionButton.h"

#include "Faces.h"

#include <QPainter>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <algorithm>

namespace chimewick {

namespace {

// Legible, with a margin over the 3:1 asked of large or bold text.
constexpr double DisabledContrast = 3.5;

} // namespace

CaptionButton::CaptionButton(const QString& caption, QWidget* parent)
    : QPushButton(caption, parent) {}

void CaptionButton::setFaceColor(const QColor& color) {
    face_ = color;
    update();
}

QRect CaptionButton::captionRect() const {
    // The style's content rectangle leaves a margin meant for one-line captions; two
    // lines need nearly the whole face.
    return rect().adjusted(2, 2, -2, -2);
}

QColor CaptionButton::captionColor() const {
    if (!face_)
        return palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled,
                               QPalette::ButtonText);
    return isEnabled() ? readableOn(*face_) : disabledCaptionColor(*face_);
}

QColor CaptionButton::disabledCaptionColor(const QColor& face) {
    // The grey nearest the middle that still reads, darker on a light face and lighter on
    // a dark one.
    const bool darkText = readableOn(face) == QColor(Qt::black);
    for (int step = 0; step <= 128; ++step) {
        const int level = darkText ? 128 - step : std::min(255, 128 + step);
        const QColor grey(level, level, level);
        if (contrast(face, grey) >= DisabledContrast)
            return grey;
    }
    return darkText ? QColor(Qt::black) : QColor(Qt::white);
}

void CaptionButton::paintFlatFace(QPainter& painter, const QColor& face) const {
    const QRect r = rect();
    painter.fillRect(r, face);
    // One line of light above and left, shadow below and right; swapped while pressed.
    const bool pressed = isDown() || isChecked();
    const QColor light = pressed ? face.darker(170) : face.lighter(170);
    const QColor shadow = pressed ? face.lighter(170) : face.darker(170);
    painter.setPen(light);
    painter.drawLine(r.topLeft(), r.topRight());
    painter.drawLine(r.topLeft(), r.bottomLeft());
    painter.setPen(shadow);
    painter.drawLine(r.bottomLeft(), r.bottomRight());
    painter.drawLine(r.topRight(), r.bottomRight());
    if (hasFocus()) {
        QPen dots(captionColor());
        dots.setStyle(Qt::DotLine);
        painter.setPen(dots);
        painter.drawRect(r.adjusted(3, 3, -4, -4));
    }
}

void CaptionButton::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    const QString caption = text();
    if (face_) {
        paintFlatFace(painter, *face_);
    } else {
        QStyleOptionButton option;
        initStyleOption(&option);
        option.text.clear();
        painter.drawControl(QStyle::CE_PushButton, option);
    }
    painter.setPen(captionColor());
    painter.drawText(captionRect(), CaptionFlags, caption);
}

} // namespace chimewick
