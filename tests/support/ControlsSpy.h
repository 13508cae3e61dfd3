// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// Test helpers shared by the engine's tests: readable failure output for standard
// strings, and a Controls that records every operation and can be made to fail.

#include "Controls.h"
#include "MemoryControls.h"
#include "WindowDescription.h"

#include <QTest>
#include <cstddef>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace QTest {
template<> inline char* toString(const std::string& s) {
    return QTest::toString(QString::fromStdString(s));
}
template<> inline char* toString(const std::string_view& s) {
    return QTest::toString(QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())));
}
template<> inline char* toString(const std::vector<std::string>& v) {
    QString joined = QStringLiteral("[");
    for (std::size_t i = 0; i < v.size(); ++i)
        joined += (i ? QStringLiteral(", \"") : QStringLiteral("\"")) +
                  QString::fromStdString(v[i]) + QStringLiteral("\"");
    return QTest::toString(joined + QStringLiteral("]"));
}
} // namespace QTest

namespace chimewick::testing {

// The window's controls in memory, with a log of every operation in the order made:
// "checkValue C1", "text T1", "setCheckValue Check1 1", "setText Text1 07:25:01 AM",
// "setBackColor T1 65280", "setEnabled Command1 1", "setPlayerUrl wmp /folder/bell.mp3".
// failOn(prefix) makes the operation whose log entry is prefix, or prefix and a blank and
// more, throw a ControlError, logged but without effect; with nth, only its nth occurrence
// (from 1). Whole names only: "setBackColor T1" is not T10's.
class ControlsSpy : public Controls {
public:
    MemoryControls memory;
    // Reads are logged too, so the log can change in const operations.
    mutable std::vector<std::string> log;
    // Off, the two reads are left out of the log (a day of ticks reads a few million times).
    bool logReads = true;

    void failOn(std::string prefix, int nth = 1) {
        failPrefix_ = std::move(prefix);
        failNth_ = nth;
        failSeen_ = 0;
    }
    void failNever() { failPrefix_.clear(); }

    // The entries of the log that start with prefix.
    std::vector<std::string> logOf(std::string_view prefix) const {
        std::vector<std::string> out;
        for (const std::string& entry : log)
            if (entry.starts_with(prefix))
                out.push_back(entry);
        return out;
    }
    // The entries that change something: every operation but the two reads.
    std::vector<std::string> writes() const {
        std::vector<std::string> out;
        for (const std::string& entry : log)
            if (!entry.starts_with("checkValue ") && !entry.starts_with("text "))
                out.push_back(entry);
        return out;
    }

    int checkValue(std::string_view box) const override {
        read("checkValue ", box);
        return memory.checkValue(box);
    }
    void setCheckValue(std::string_view box, int value) override {
        note("setCheckValue " + std::string(box) + " " + std::to_string(value));
        memory.setCheckValue(box, value);
    }
    std::string text(std::string_view box) const override {
        read("text ", box);
        return memory.text(box);
    }
    void setText(std::string_view box, std::string_view text) override {
        note("setText " + std::string(box) + " " + std::string(text));
        memory.setText(box, text);
    }
    void setBackColor(std::string_view box, Color color) override {
        note("setBackColor " + std::string(box) + " " + std::to_string(color));
        memory.setBackColor(box, color);
    }
    void setEnabled(std::string_view button, bool enabled) override {
        note("setEnabled " + std::string(button) + " " + (enabled ? "1" : "0"));
        memory.setEnabled(button, enabled);
    }
    void setPlayerUrl(std::string_view player, std::string_view path) override {
        note("setPlayerUrl " + std::string(player) + " " + std::string(path));
        memory.setPlayerUrl(player, path);
    }

private:
    // Reads are the bulk of a tick's work: their entry is made only when it is needed.
    void read(const char* operation, std::string_view control) const {
        if (logReads || !failPrefix_.empty())
            note(operation + std::string(control), !logReads);
    }
    void note(std::string entry, bool leaveOut = false) const {
        const bool fails = !failPrefix_.empty() && failsOn(entry) && ++failSeen_ == failNth_;
        const std::string message = fails ? "injected failure at '" + entry + "'" : std::string();
        if (!leaveOut)
            log.push_back(std::move(entry));
        if (fails)
            throw ControlError(message);
    }

    bool failsOn(std::string_view entry) const {
        return entry.starts_with(failPrefix_) &&
               (entry.size() == failPrefix_.size() || entry[failPrefix_.size()] == ' ');
    }

    std::string failPrefix_;
    int failNth_ = 1;
    mutable int failSeen_ = 0;
};

// Everything a test can see of the window's controls, by control name: a check box's
// value, a text box's text and colour, a button's enabled flag, the player's file.
inline std::map<std::string, std::string> snapshot(const MemoryControls& controls) {
    std::map<std::string, std::string> out;
    for (const ControlSpec& row : form1Controls()) {
        const std::string name(row.name);
        switch (row.kind) {
        case ControlKind::CheckBox:
            out[name] = std::to_string(controls.checkValue(name));
            break;
        case ControlKind::TextBox: {
            const auto color = controls.backColor(name);
            out[name] = controls.text(name) + " | " + (color ? std::to_string(*color) : "standard");
            break;
        }
        case ControlKind::CommandButton:
            out[name] = controls.isEnabled(name) ? "enabled" : "disabled";
            break;
        case ControlKind::MediaPlayer:
            out[name] = controls.playerUrl(name);
            break;
        default:
            break;
        }
    }
    return out;
}

// The names whose entries differ between two snapshots.
inline std::vector<std::string> changed(const std::map<std::string, std::string>& before,
                                        const std::map<std::string, std::string>& after) {
    std::vector<std::string> out;
    for (const auto& [name, value] : after)
        if (before.at(name) != value)
            out.push_back(name);
    return out;
}

} // namespace chimewick::testing
