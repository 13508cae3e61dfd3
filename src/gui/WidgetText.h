// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>
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

} // namespace chimewick
