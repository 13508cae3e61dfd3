// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Color.h"

#include <QColor>
#include <QPalette>
#include <QString>
#include <QWidget>
#include <string>
#include <string_view>

namespace chimewick {

// The window description's UTF-8 text as the toolkit's.
inline QString qs(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Multi-line text keeps the window's CR LF line ends; the toolkit's editor wants LF.
inline QString toEditorText(std::string_view text) {
    return qs(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}
inline std::string fromEditorText(QString text) {
    return text.replace(QLatin1Char('\n'), QStringLiteral("\r\n")).toStdString();
}

// Paints one colour role of a widget, e.g. the base of a text box or a button's face.
inline void setBackground(QWidget* w, QPalette::ColorRole role, Color color) {
    QPalette palette = w->palette();
    palette.setColor(role, QColor(redOf(color), greenOf(color), blueOf(color)));
    w->setPalette(palette);
    w->setAutoFillBackground(true);
}

} // namespace chimewick
