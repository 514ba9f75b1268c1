#include "listing/Notify.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QStringList>
#include <QVariantMap>

bool sendNotification(const QString &summary, const QString &body, QString &error)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        error = QStringLiteral("no D-Bus session bus: ") + bus.lastError().message();
        return false;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.Notifications"),
        QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
    const QVariantMap hints{{QStringLiteral("desktop-entry"), QStringLiteral("almarik")}};
    call << QStringLiteral("Almarik") << quint32(0) << QStringLiteral("almarik") << summary << body
         << QStringList() << hints << qint32(-1);
    const QDBusMessage reply = bus.call(call, QDBus::Block, 10000);
    if (reply.type() != QDBusMessage::ReplyMessage) {
        error = QStringLiteral("no desktop notification service answered (") + reply.errorName() +
                QStringLiteral(": ") + reply.errorMessage() + QLatin1Char(')');
        return false;
    }
    return true;
}
