// SPDX-License-Identifier: GPL-3.0-or-later
// The notification module: the only code of almarik-list that needs Qt
// D-Bus, built as a library of its own and loaded for --notify alone, so
// that a listing never loads D-Bus and the libraries under it.

#include "listing/NotifyModule.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QStringList>
#include <QVariantMap>

namespace {

QDBusMessage callOf(const QString &method)
{
    return QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.Notifications"),
                                          QStringLiteral("/org/freedesktop/Notifications"),
                                          QStringLiteral("org.freedesktop.Notifications"), method);
}

// The reply, or an invalid message with error set.
QDBusMessage answered(const QDBusMessage &call, QString &error)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        error = QStringLiteral("no D-Bus session bus: ") + bus.lastError().message();
        return QDBusMessage();
    }
    QDBusMessage reply = bus.call(call, QDBus::Block, 10000);
    if (reply.type() != QDBusMessage::ReplyMessage) {
        error = QStringLiteral("no desktop notification service answered (") + reply.errorName() +
                QStringLiteral(": ") + reply.errorMessage() + QLatin1Char(')');
        return QDBusMessage();
    }
    return reply;
}

} // namespace

bool almarik_notification_capabilities(QStringList *capabilities, QString *error)
{
    const QDBusMessage reply = answered(callOf(QStringLiteral("GetCapabilities")), *error);
    if (reply.type() != QDBusMessage::ReplyMessage)
        return false;
    *capabilities = reply.arguments().value(0).toStringList();
    return true;
}

bool almarik_send_notification(const QString *summary, const QString *body, QString *error)
{
    QDBusMessage call = callOf(QStringLiteral("Notify"));
    const QVariantMap hints{{QStringLiteral("desktop-entry"), QStringLiteral("almarik")}};
    call << QStringLiteral("Almarik") << quint32(0) << QStringLiteral("almarik") << *summary
         << *body << QStringList() << hints << qint32(-1);
    return answered(call, *error).type() == QDBusMessage::ReplyMessage;
}
