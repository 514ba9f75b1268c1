#pragma once
// One desktop notification through the freedesktop notification service on
// the session bus (almarik-list only; the core needs no D-Bus).

#include <QString>
#include <QStringList>
#include <optional>

// What the service says it reads (GetCapabilities: "body-markup", ...);
// nullopt with the reason in error when no bus or no service answered.
std::optional<QStringList> notificationCapabilities(QString &error);

// Sends summary and body; false with the reason in error when no bus or no
// service answered.
bool sendNotification(const QString &summary, const QString &body, QString &error);
