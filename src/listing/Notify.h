// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One desktop notification through the freedesktop notification service on
// the session bus. The D-Bus code is a module loaded only here (the core
// and a listing need no D-Bus): beside the program in a build, else
// installed under the library folder.

#include <QString>
#include <QStringList>
#include <optional>

// What the service says it reads (GetCapabilities: "body-markup", ...);
// nullopt with the reason in error when the module cannot be loaded, or no
// bus or no service answered.
std::optional<QStringList> notificationCapabilities(QString &error);

// Sends summary and body; false with the reason in error when the module
// cannot be loaded, or no bus or no service answered.
bool sendNotification(const QString &summary, const QString &body, QString &error);
