// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Whole files in and out for the exchange tests, which compare bytes.

#include <QByteArray>
#include <QFile>
#include <QTest>

inline QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(missing)");
}

inline void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}
