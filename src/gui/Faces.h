// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Color.h"

#include <QColor>

class QWidget;

namespace chimewick {

// The ratio of relative luminances, from 1 (none) to 21 (black on white).
double contrast(const QColor& a, const QColor& b);

// Black or white, whichever contrasts more with a face. The window's table gives faces but no
// text colours, and the desktop palette's text is meant for the palette's own faces: a dark
// scheme's light text vanishes on the window's pale buttons and white time boxes.
QColor readableOn(const QColor& face);

QColor toQColor(Color color);

// Gives a frame or a text box its face colour from the window's table, and the text on that
// face the colour that reads on it. A frame's colour reaches the labels and captions in it.
void paintFace(QWidget* control, Color color);

} // namespace chimewick
