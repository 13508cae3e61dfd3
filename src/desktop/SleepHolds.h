// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QObject>
#include <QString>
#include <memory>

namespace chimewick {

// Keeps the computer from suspending for as long as this object lives: a bell program left
// alone in an office must still ring. The screen may still blank and lock, and shutdown
// is not held up.
//
// On Linux two holds are taken, since the desktop decides its own idle suspend and logind
// lets a user's own session pass a block lock: one through the desktop portal on the
// session bus, one from logind on the system bus. Either that cannot be taken is reported
// in one line on standard error, and the program runs on without it.
class SleepHolds : public QObject {
    Q_OBJECT
public:
    explicit SleepHolds(QObject* parent = nullptr);
    ~SleepHolds() override;

    SleepHolds(const SleepHolds&) = delete;
    SleepHolds& operator=(const SleepHolds&) = delete;

    static constexpr const char* Reason = "Rings the school's bells at their times";

private:
    // What this system holds and how, in the system's own file (SleepHolds_linux.cpp,
    // SleepHolds_windows.cpp): the rest of the program sees none of its calls.
    class Held;

    static void sayNotHeld(const char* through, const QString& why);

    std::unique_ptr<Held> held_;
};

} // namespace chimewick
