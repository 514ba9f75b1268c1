// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the notification module (Notify.cpp, a library loaded at run time)
// gives almarik-list: plain functions, looked up by name.

#include <QString>
#include <QStringList>
#include <QtGlobal>

extern "C" {
// GetCapabilities: true with the list, false with the reason in error.
Q_DECL_EXPORT bool almarik_notification_capabilities(QStringList *capabilities, QString *error);
// Notify: true when the service answered, false with the reason in error.
Q_DECL_EXPORT bool almarik_send_notification(const QString *summary, const QString *body,
                                             QString *error);
}
