// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "SleepHolds.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusUnixFileDescriptor>
#include <QFileInfo>
#include <QVariantMap>

namespace chimewick {

namespace {

// The portal's flag for suspend; logout, user switching and idle are left alone.
constexpr uint PortalSuspend = 4;

// Whether there is a session bus to reach: without this check, the bus library would start
// a bus of its own on an X display that has none, and leave its files behind in ~/.dbus.
bool hasSessionBus() {
    if (!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        return true;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return !runtime.isEmpty() && QFileInfo::exists(runtime + QStringLiteral("/bus"));
}

QString whyNot(const QDBusError& error, const char* bus) {
    return error.isValid() ? error.message() : QStringLiteral("no %1 bus").arg(QLatin1String(bus));
}

} // namespace

// The calls on their way are children of the holds' object, which outlives this: its
// members go before its children.
class SleepHolds::Held {
public:
    explicit Held(QObject& owner) : owner_(owner) {
        askPortal();
        askLogind();
    }
    ~Held();

    Held(const Held&) = delete;
    Held& operator=(const Held&) = delete;

private:
    void askPortal();
    void askLogind();
    void portalAnswered(QDBusPendingCallWatcher* call);
    void logindAnswered(QDBusPendingCallWatcher* call);
    void closePortalRequest();

    QObject& owner_;
    QDBusPendingCallWatcher* portalCall_ = nullptr; // until the portal answers
    QDBusPendingCallWatcher* logindCall_ = nullptr; // until logind answers
    QString portalRequest_; // the request object that holds the portal's inhibition
    std::unique_ptr<QDBusUnixFileDescriptor> logindLock_; // the lock lasts while it is open
};

SleepHolds::SleepHolds(QObject* parent) : QObject(parent), held_(std::make_unique<Held>(*this)) {}

SleepHolds::~SleepHolds() = default;

SleepHolds::Held::~Held() {
    // Nothing here waits on a bus: closing the window ends the program at once, even while
    // the portal or logind has not answered, and either may never answer. A call still on
    // its way is dropped, its watcher first, so that no answer reaches a half-destroyed
    // object; should the portal grant it after all, it lets the hold go when this
    // connection closes.
    delete portalCall_;
    portalCall_ = nullptr;
    delete logindCall_;
    logindCall_ = nullptr;
    closePortalRequest();
    logindLock_.reset(); // closing the descriptor ends logind's lock
}

void SleepHolds::Held::askPortal() {
    if (!hasSessionBus()) {
        sayNotHeld("the desktop portal", QStringLiteral("no session bus"));
        return;
    }
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        sayNotHeld("the desktop portal", whyNot(bus.lastError(), "session"));
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.portal.Desktop"),
        QStringLiteral("/org/freedesktop/portal/desktop"),
        QStringLiteral("org.freedesktop.portal.Inhibit"), QStringLiteral("Inhibit"));
    const QVariantMap options{{QStringLiteral("reason"), QString::fromUtf8(Reason)}};
    call << QString() << PortalSuspend << options;
    portalCall_ = new QDBusPendingCallWatcher(bus.asyncCall(call), &owner_);
    QObject::connect(portalCall_, &QDBusPendingCallWatcher::finished, &owner_,
                     [this](QDBusPendingCallWatcher* answered) { portalAnswered(answered); });
}

void SleepHolds::Held::askLogind() {
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected()) {
        sayNotHeld("logind", whyNot(bus.lastError(), "system"));
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
        QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("Inhibit"));
    call << QStringLiteral("sleep:idle") << QStringLiteral("Chimewick") << QString::fromUtf8(Reason)
         << QStringLiteral("block");
    logindCall_ = new QDBusPendingCallWatcher(bus.asyncCall(call), &owner_);
    QObject::connect(logindCall_, &QDBusPendingCallWatcher::finished, &owner_,
                     [this](QDBusPendingCallWatcher* answered) { logindAnswered(answered); });
}

void SleepHolds::Held::portalAnswered(QDBusPendingCallWatcher* call) {
    if (!call || call != portalCall_)
        return; // already taken in, or dropped
    portalCall_ = nullptr;
    const QDBusPendingReply<QDBusObjectPath> reply = *call;
    call->deleteLater();
    if (reply.isError())
        sayNotHeld("the desktop portal", reply.error().message());
    else
        portalRequest_ = reply.value().path();
}

void SleepHolds::Held::logindAnswered(QDBusPendingCallWatcher* call) {
    if (!call || call != logindCall_)
        return;
    logindCall_ = nullptr;
    const QDBusPendingReply<QDBusUnixFileDescriptor> reply = *call;
    call->deleteLater();
    if (reply.isError())
        sayNotHeld("logind", reply.error().message());
    else
        logindLock_ = std::make_unique<QDBusUnixFileDescriptor>(reply.value());
}

void SleepHolds::Held::closePortalRequest() {
    if (portalRequest_.isEmpty())
        return;
    QDBusMessage close = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.portal.Desktop"), portalRequest_,
        QStringLiteral("org.freedesktop.portal.Request"), QStringLiteral("Close"));
    // Sent, not awaited: the bus library writes it out at once, and a portal that never
    // reads it must not hold up the close. The portal also lets go when the connection ends.
    QDBusConnection::sessionBus().send(close);
    portalRequest_.clear();
}

} // namespace chimewick
