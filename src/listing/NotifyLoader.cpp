// SPDX-License-Identifier: GPL-3.0-or-later
#include "listing/Notify.h"

#include "listing/NotifyModule.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibrary>

namespace {

using Capabilities = decltype(&almarik_notification_capabilities);
using Send = decltype(&almarik_send_notification);

struct Module
{
    Capabilities capabilities = nullptr;
    Send send = nullptr;
    QString error; // why it could not be loaded
};

// Loaded once, never unloaded (Qt D-Bus keeps threads of its own).
const Module &module()
{
    static const Module loaded = [] {
        Module m;
        const QString folder = QCoreApplication::applicationDirPath();
        QString path = folder + QStringLiteral("/" ALMARIK_NOTIFY_MODULE);
        if (!QFileInfo::exists(path))
            path = folder + QStringLiteral("/" ALMARIK_NOTIFY_MODULE_DIR "/" ALMARIK_NOTIFY_MODULE);
        QLibrary library(path);
        if (!library.load()) {
            m.error = QStringLiteral("the notification module cannot be loaded: ") +
                      library.errorString();
            return m;
        }
        m.capabilities =
            reinterpret_cast<Capabilities>(library.resolve("almarik_notification_capabilities"));
        m.send = reinterpret_cast<Send>(library.resolve("almarik_send_notification"));
        if (!m.capabilities || !m.send)
            m.error = QStringLiteral("the notification module ") + path +
                      QStringLiteral(" lacks its functions");
        return m;
    }();
    return loaded;
}

} // namespace

std::optional<QStringList> notificationCapabilities(QString &error)
{
    const Module &m = module();
    QStringList capabilities;
    if (!m.error.isEmpty()) {
        error = m.error;
        return std::nullopt;
    }
    if (!m.capabilities(&capabilities, &error))
        return std::nullopt;
    return capabilities;
}

bool sendNotification(const QString &summary, const QString &body, QString &error)
{
    const Module &m = module();
    if (!m.error.isEmpty()) {
        error = m.error;
        return false;
    }
    return m.send(&summary, &body, &error);
}
