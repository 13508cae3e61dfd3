// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "CaptionButton.h"

#include <QPainter>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <algorithm>
#include <cmath>

namespace chimewick {

namespace {

double luminance(const QColor& c) {
    const auto linear = [](double v) {
        return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
}

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

double CaptionButton::contrast(const QColor& a, const QColor& b) {
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor CaptionButton::disabledCaptionColor(const QColor& face) {
    // The grey nearest the middle that still reads, darker on a light face and lighter on
    // a dark one.
    const bool darkText = contrast(face, Qt::black) >= contrast(face, Qt::white);
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
        QPen dots(isEnabled() ? palette().color(QPalette::ButtonText) : disabledCaptionColor(face));
        dots.setStyle(Qt::DotLine);
        painter.setPen(dots);
        painter.drawRect(r.adjusted(3, 3, -4, -4));
    }
}

void CaptionButton::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    const QString caption = text();
    QColor captionColor =
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText);
    if (face_) {
        paintFlatFace(painter, *face_);
        if (!isEnabled())
            captionColor = disabledCaptionColor(*face_);
    } else {
        QStyleOptionButton option;
        initStyleOption(&option);
        option.text.clear();
        painter.drawControl(QStyle::CE_PushButton, option);
    }
    painter.setPen(captionColor);
    painter.drawText(captionRect(), CaptionFlags, caption);
}

} // namespace chimewick
