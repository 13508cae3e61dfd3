// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Faces.h"

#include <QLineEdit>
#include <QPalette>
#include <QPlainTextEdit>
#include <QWidget>
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

void setRoles(QWidget* w, QPalette::ColorRole faceRole, QPalette::ColorRole textRole,
              const QColor& face) {
    QPalette palette = w->palette();
    palette.setColor(faceRole, face);
    palette.setColor(textRole, readableOn(face));
    w->setPalette(palette);
}

} // namespace

double contrast(const QColor& a, const QColor& b) {
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor readableOn(const QColor& face) {
    return contrast(face, Qt::black) >= contrast(face, Qt::white) ? QColor(Qt::black)
                                                                  : QColor(Qt::white);
}

QColor toQColor(Color color) {
    return QColor(redOf(color), greenOf(color), blueOf(color));
}

void paintFace(QWidget* control, Color color) {
    const QColor face = toQColor(color);
    if (auto* multi = qobject_cast<QPlainTextEdit*>(control)) {
        // The editor draws its text with its own palette, on its viewport's face.
        setRoles(multi, QPalette::Base, QPalette::Text, face);
        multi->viewport()->setAutoFillBackground(true);
    } else if (qobject_cast<QLineEdit*>(control)) {
        setRoles(control, QPalette::Base, QPalette::Text, face);
        control->setAutoFillBackground(true);
    } else {
        setRoles(control, QPalette::Window, QPalette::WindowText, face);
        control->setAutoFillBackground(true);
    }
}

} // namespace chimewick
