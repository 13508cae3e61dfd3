// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QObject>
#include <QString>
#include <memory>

class QDBusPendingCallWatcher;
class QDBusUnixFileDescriptor;

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
#ifndef Q_OS_WIN
    void askPortal();
    void askLogind();
    void portalAnswered(QDBusPendingCallWatcher* call);
    void logindAnswered(QDBusPendingCallWatcher* call);
    void closePortalRequest();

    QDBusPendingCallWatcher* portalCall_ = nullptr; // until the portal answers
    QDBusPendingCallWatcher* logindCall_ = nullptr; // until logind answers
    QString portalRequest_; // the request object that holds the portal's inhibition
    std::unique_ptr<QDBusUnixFileDescriptor> logindLock_; // the lock lasts while it is open
#endif
};

} // namespace chimewick
