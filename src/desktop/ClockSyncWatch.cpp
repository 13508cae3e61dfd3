// SPDX-FileCopyrightText: Chimewick developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ClockSyncWatch.h"

#include "DesktopLog.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace chimewick {
namespace {

const QString TimedateService = QStringLiteral("org.freedesktop.timedate1");
const QString TimedatePath = QStringLiteral("/org/freedesktop/timedate1");
const QString PropertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");

// The service does not announce every change of NTPSynchronized (it is the kernel's state,
// not its own), so the state is read again now and then besides.
constexpr int RecheckMs = 60 * 1000;

} // namespace

ClockSyncWatch::ClockSyncWatch(const QDBusConnection& bus, QObject* parent)
    : QObject(parent), bus_(bus) {
    recheck_.setInterval(RecheckMs);
    connect(&recheck_, &QTimer::timeout, this, &ClockSyncWatch::read);
}

QString ClockSyncWatch::notSynchronisedText() {
    return QStringLiteral(
        "Clock not synchronised with network time: bells follow this computer's clock");
}

void ClockSyncWatch::start() {
    if (!bus_.isConnected()) {
        unavailable(QStringLiteral("no system bus"));
        return;
    }
    bus_.connect(TimedateService, TimedatePath, PropertiesInterface,
                 QStringLiteral("PropertiesChanged"), this,
                 SLOT(onPropertiesChanged(QString, QVariantMap, QStringList)));
    read();
    recheck_.start();
}

void ClockSyncWatch::read() {
    QDBusMessage call = QDBusMessage::createMethodCall(
        TimedateService, TimedatePath, PropertiesInterface, QStringLiteral("GetAll"));
    call << TimedateService;
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        const QDBusPendingReply<QVariantMap> reply = *w;
        if (reply.isError())
            unavailable(reply.error().message());
        else
            apply(reply.value());
    });
}

void ClockSyncWatch::onPropertiesChanged(const QString& interface, const QVariantMap&,
                                         const QStringList&) {
    // Read whole: a change may name one of the two properties alone.
    if (interface == TimedateService)
        read();
}

void ClockSyncWatch::apply(const QVariantMap& properties) {
    const auto synchronised = properties.constFind(QStringLiteral("NTPSynchronized"));
    if (synchronised == properties.cend())
        return;
    const QString text = synchronised->toBool() ? QString() : notSynchronisedText();
    const bool ntpOn = properties.value(QStringLiteral("NTP"), true).toBool();
    if (warning_.known(text,
                       ntpOn ? text : text + QStringLiteral(" (network time is switched off)")))
        emit warningChanged(warning_.text());
}

void ClockSyncWatch::unavailable(const QString& why) {
    // Said once, not at every re-read; and nothing is shown, since nothing is known.
    if (warning_.unknown(
            QStringLiteral("cannot tell whether the clock is synchronised with network time: %1")
                .arg(why)))
        emit warningChanged(warning_.text());
}

} // namespace chimewick
