// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "StandingWarnings.h"

#include "DesktopLog.h"

#include <QStringList>
#include <utility>

namespace chimewick {

void StandingWarnings::set(const QString& key, const QString& text) {
    if (text.isEmpty()) {
        clear(key);
        return;
    }
    auto [it, added] = warnings_.try_emplace(key, text);
    if (!added && it->second == text)
        return;
    it->second = text;
    emit changed(this->text());
}

void StandingWarnings::clear(const QString& key) {
    if (warnings_.erase(key) > 0)
        emit changed(text());
}

QString StandingWarnings::text() const {
    QStringList lines;
    for (const auto& [key, line] : warnings_)
        lines << line;
    return lines.join(QLatin1Char('\n'));
}

bool WatchedWarning::known(const QString& text, const QString& line) {
    toldUnknown_ = false;
    if (text == text_)
        return false;
    text_ = text;
    if (!text.isEmpty())
        logDesktopWarning(line);
    return true;
}

bool WatchedWarning::unknown(const QString& why) {
    if (!std::exchange(toldUnknown_, true))
        logDesktopWarning(why);
    if (text_.isEmpty())
        return false;
    text_.clear();
    return true;
}

} // namespace chimewick
