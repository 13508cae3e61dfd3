// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "CaptionButton.h"

#include <QStyleOptionButton>
#include <QStylePainter>

namespace chimewick {

CaptionButton::CaptionButton(const QString& caption, QWidget* parent)
    : QPushButton(caption, parent) {}

QRect CaptionButton::captionRect() const {
    // The style's content rectangle leaves a margin meant for one-line captions; two
    // lines need nearly the whole face.
    return rect().adjusted(2, 2, -2, -2);
}

void CaptionButton::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    const QString caption = option.text;
    option.text.clear();
    painter.drawControl(QStyle::CE_PushButton, option);
    painter.setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
    painter.drawText(captionRect(), CaptionFlags, caption);
}

} // namespace chimewick
