// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/ImageList.h"

#include "editing/EventTypes.h"

#include <QHash>

namespace {

QString resourceFor(const QString &name)
{
    return QStringLiteral(":/pictures/") + name + QStringLiteral(".svg");
}

} // namespace

QIcon typeIcon(const QString &key)
{
    static QHash<QString, QIcon> cache;
    if (!IconInList(key))
        return {};
    auto it = cache.find(key);
    if (it == cache.end())
        it = cache.insert(key, QIcon(resourceFor(key)));
    return *it;
}

QPixmap typePixmap(const QString &key, int size)
{
    return typeIcon(key).pixmap(size, size);
}

QPixmap redPic()
{
    static const QPixmap marker = QIcon(resourceFor(QStringLiteral("redpic"))).pixmap(6, 6);
    return marker;
}

QIcon appIcon()
{
    return QIcon(resourceFor(QStringLiteral("almarik")));
}
