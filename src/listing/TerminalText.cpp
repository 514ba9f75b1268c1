// SPDX-License-Identifier: GPL-3.0-or-later
#include "listing/TerminalText.h"

#include <QList>

#include <algorithm>
#include <clocale>
#include <cwchar>
#include <locale.h>

namespace {

bool shownAsCode(char16_t c)
{
    return (c >= 0x80 && c <= 0x9F) || c == 0x061C || c == 0x200E || c == 0x200F ||
           (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

// The UTF-8 locale widths are read in; the user's may be "C", where wcwidth
// knows nothing beyond ASCII. Made once, never freed (it lives as long as
// the process).
locale_t utf8Locale()
{
    static const locale_t made = newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t(nullptr));
    return made;
}

} // namespace

QString visibleText(const QString &text)
{
    // Every character replaced lies in the Basic Multilingual Plane, so
    // UTF-16 units are enough; surrogates pass unchanged.
    const auto replaced = [](QChar c) {
        const char16_t u = c.unicode();
        return u < 0x20 || u == 0x7F || shownAsCode(u);
    };
    if (std::none_of(text.cbegin(), text.cend(), replaced))
        return text; // shared, not copied: nearly every description
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x20)
            out += QChar(char16_t(0x2400 + u));
        else if (u == 0x7F)
            out += QChar(char16_t(0x2421));
        else if (shownAsCode(u))
            out += QStringLiteral("<U+%1>").arg(uint(u), 4, 16, QLatin1Char('0')).toUpper();
        else
            out += c;
    }
    return out;
}

int displayWidth(const QString &text)
{
    const bool ascii = std::all_of(text.cbegin(), text.cend(), [](QChar c) {
        return c.unicode() >= 0x20 && c.unicode() < 0x7F;
    });
    if (ascii)
        return int(text.size());
    const locale_t utf8 = utf8Locale();
    const locale_t before = utf8 ? uselocale(utf8) : locale_t(nullptr);
    int width = 0;
    for (const uint c : text.toUcs4()) {
        const int w = ::wcwidth(wchar_t(c));
        width += w < 0 ? 1 : w; // unassigned: most terminals give it one cell
    }
    if (utf8)
        uselocale(before);
    return width;
}

bool wantsColour(bool isTerminal, const QString &term, const QString &noColor)
{
    return isTerminal && noColor.isEmpty() && !term.isEmpty() && term != QLatin1String("dumb");
}
