// SPDX-License-Identifier: GPL-3.0-or-later
#include "wallpaper/DesktopQuoting.h"

#include <QUrl>

namespace {

bool isControl(QChar c)
{
    return c.unicode() < 0x20 || c.unicode() == 0x7f;
}

QString unicodeEscape(QChar c)
{
    return QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
}

} // namespace

QString fileUri(const QString &path)
{
    return QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded);
}

QString gvariantString(const QString &text)
{
    QString quoted = QStringLiteral("'");
    for (const QChar c : text) {
        if (c == QLatin1Char('\\') || c == QLatin1Char('\''))
            quoted += QLatin1Char('\\') + c;
        else if (isControl(c))
            quoted += unicodeEscape(c);
        else
            quoted += c;
    }
    return quoted + QLatin1Char('\'');
}

QString javaScriptString(const QString &text)
{
    QString quoted = QStringLiteral("'");
    for (const QChar c : text) {
        if (c == QLatin1Char('\\') || c == QLatin1Char('\'') || c == QLatin1Char('"'))
            quoted += QLatin1Char('\\') + c;
        else if (isControl(c) || c.unicode() > 0x7e) // also line and paragraph separators
            quoted += unicodeEscape(c);
        else
            quoted += c;
    }
    return quoted + QLatin1Char('\'');
}

QString swayRefusal(const QString &path)
{
    // sway reads "$" after two backslashes as a variable again, and
    // wordexp() drops an escaped line break: neither arrives as written.
    for (const QChar c : path) {
        if (c == QLatin1Char('\\') || isControl(c))
            return QStringLiteral("sway cannot take a file name with a backslash or a control "
                                  "character such as a line break");
    }
    return {};
}

QString swayPathArgument(const QString &path)
{
    QString escaped;
    escaped.reserve(path.size() * 2);
    for (const QChar c : path) {
        const bool plain =
            c.unicode() > 0x7f || c.isLetterOrNumber() || QStringView(u"/._-").contains(c);
        if (!plain)
            escaped += QLatin1Char('\\');
        escaped += c;
    }
    return escaped;
}
