// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/JetCollation.h"

#include <QCollator>
#include <QLocale>
#include <QString>
#include <sqlite3.h>

#include <algorithm>
#include <array>

namespace {

QCollator &collator()
{
    // QCollator is not to be shared between threads.
    thread_local QCollator c = [] {
        QCollator made(QLocale(QLocale::English, QLocale::UnitedStates));
        made.setCaseSensitivity(Qt::CaseInsensitive);
        made.setNumericMode(false);
        made.setIgnorePunctuation(false);
        return made;
    }();
    return c;
}

// Each printable ASCII character's place in the collation: two texts made
// only of them compare as their places do, character by character (no two
// such characters share a weight but a letter and its capital, and none
// expands or contracts), which spares the common case a call of ICU.
struct AsciiRanks
{
    std::array<unsigned char, 128> rank{};

    AsciiRanks()
    {
        std::array<char, 95> chars{};
        for (int i = 0; i < 95; ++i)
            chars[size_t(i)] = char(0x20 + i);
        auto cmp = [](char a, char b) {
            return collator().compare(QString(QLatin1Char(a)), QString(QLatin1Char(b)));
        };
        std::stable_sort(chars.begin(), chars.end(), [&](char a, char b) { return cmp(a, b) < 0; });
        int r = 0;
        for (size_t i = 0; i < chars.size(); ++i) {
            if (i > 0 && cmp(chars[i - 1], chars[i]) != 0)
                ++r;
            rank[size_t(chars[i])] = static_cast<unsigned char>(r + 1);
        }
    }
};

const AsciiRanks &asciiRanks()
{
    static const AsciiRanks ranks;
    return ranks;
}

bool printableAscii(const unsigned char *s, int n)
{
    return std::all_of(s, s + n, [](unsigned char c) { return c >= 0x20 && c <= 0x7e; });
}

int collate(void *, int n1, const void *s1, int n2, const void *s2)
{
    return jetCompareTexts(static_cast<const char *>(s1), n1, static_cast<const char *>(s2), n2);
}

} // namespace

int jetCompareTexts(const char *a, int aBytes, const char *b, int bBytes)
{
    const auto &rank = asciiRanks().rank;
    const auto *p = reinterpret_cast<const unsigned char *>(a);
    const auto *q = reinterpret_cast<const unsigned char *>(b);
    const int n = std::min(aBytes, bBytes);
    int i = 0;
    for (; i < n; ++i) {
        const unsigned char x = p[i];
        const unsigned char y = q[i];
        if (x < 0x20 || x > 0x7e || y < 0x20 || y > 0x7e)
            break;
        if (rank[x] != rank[y]) {
            // The rest decides only when it is printable ASCII too.
            if (printableAscii(p + i, aBytes - i) && printableAscii(q + i, bBytes - i))
                return rank[x] - rank[y];
            break;
        }
    }
    if (i == n && aBytes == bBytes)
        return 0; // equal but for case
    if (i == n && printableAscii(aBytes > n ? p + n : q + n, std::max(aBytes, bBytes) - n))
        return aBytes - bBytes;
    const QString x = QString::fromUtf8(a, aBytes);
    const QString y = QString::fromUtf8(b, bBytes);
    const int order = collator().compare(x, y);
    // ICU passes over control characters; texts that differ in more than
    // case are never equal.
    return order != 0 ? order : x.compare(y, Qt::CaseInsensitive);
}

void registerJetCollation(sqlite3 *db)
{
    sqlite3_create_collation(db, kJetCollation, SQLITE_UTF8, nullptr, collate);
}
