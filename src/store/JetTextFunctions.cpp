// SPDX-License-Identifier: GPL-3.0-or-later
// Jet's text functions as SQL functions. Positions count from 1, any value
// is taken as its Jet text (a date as m/d/yyyy), and InStr ignores case by
// default as Jet's text comparison in a database does.

#include "store/JetValue.h"

#include <QList>

namespace jet {

namespace {

// Texts longer than this are refused rather than built.
constexpr qint64 kLongestText = 10'000'000;

qint64 lengthArg(const Call &c, int i)
{
    const qint64 n = c.integerArg(i);
    if (n < 0)
        throw Failure{kInvalidCall};
    if (n > kLongestText)
        throw Failure{"Out of memory"};
    return n;
}

// One character for one, as Jet maps case: "ß" stays "ß" where Qt's
// toUpper would make it "SS".
template <bool Upper> void changeCase(Call &c)
{
    if (c.isNull(0))
        return c.setNull();
    QList<uint> ucs4 = toText(c.arg(0)).toUcs4();
    for (uint &ch : ucs4)
        ch = Upper ? QChar::toUpper(char32_t(ch)) : QChar::toLower(char32_t(ch));
    c.setText(QString::fromUcs4(reinterpret_cast<const char32_t *>(ucs4.constData()), ucs4.size()));
}

template <bool FromLeft> void leftOrRight(Call &c)
{
    const qint64 n = lengthArg(c, 1);
    if (c.isNull(0))
        return c.setNull();
    const QString t = toText(c.arg(0));
    c.setText(FromLeft ? t.left(n) : t.right(n));
}

void mid(Call &c)
{
    const qint64 start = c.integerArg(1);
    if (start < 1)
        throw Failure{kInvalidCall};
    const qint64 length = c.count() == 3 ? lengthArg(c, 2) : -1;
    if (c.isNull(0))
        return c.setNull();
    const QString t = toText(c.arg(0));
    c.setText(start > t.size() ? QString() : t.mid(start - 1, length));
}

void len(Call &c)
{
    if (c.isNull(0))
        return c.setNull();
    c.setInteger(toText(c.arg(0)).size());
}

// Trim, LTrim and RTrim take away spaces only, not tabs or line ends.
template <bool Left, bool Right> void trim(Call &c)
{
    if (c.isNull(0))
        return c.setNull();
    const QString t = toText(c.arg(0));
    qsizetype from = 0, to = t.size();
    while (Left && from < to && t[from] == QLatin1Char(' '))
        ++from;
    while (Right && to > from && t[to - 1] == QLatin1Char(' '))
        --to;
    c.setText(t.mid(from, to - from));
}

// InStr([start,] text, sought[, compare]): 0 binary, 1 text, 2 database
// (both without regard to case).
void inStr(Call &c)
{
    const bool withStart = c.count() >= 3;
    const qint64 start = withStart ? c.integerArg(0) : 1;
    if (start < 1)
        throw Failure{kInvalidCall};
    const qint64 compare = c.count() == 4 ? c.integerArg(3) : 2;
    if (compare < 0 || compare > 2)
        throw Failure{kInvalidCall};
    const int first = withStart ? 1 : 0;
    if (c.isNull(first) || c.isNull(first + 1))
        return c.setNull();
    const QString text = toText(c.arg(first));
    const QString sought = toText(c.arg(first + 1));
    if (start > text.size())
        return c.setInteger(0);
    if (sought.isEmpty())
        return c.setInteger(start);
    const Qt::CaseSensitivity cs = compare == 0 ? Qt::CaseSensitive : Qt::CaseInsensitive;
    c.setInteger(text.indexOf(sought, start - 1, cs) + 1);
}

void space(Call &c)
{
    c.setText(QString(lengthArg(c, 0), QLatin1Char(' ')));
}

// String(n, character): the first character of a text, or a character
// code taken Mod 256. Negative codes and 128 to 159 are refused: Jet reads
// codes in the Windows code page, whose characters there differ from
// Unicode's.
void string(Call &c)
{
    const qint64 n = lengthArg(c, 0);
    const Value ch = c.arg(1);
    if (ch.isNull())
        return c.setNull();
    QChar fill;
    if (ch.kind == Kind::Number) {
        const qint64 code = roundToInteger(ch.number, -2147483648LL, 2147483647LL) % 256;
        if (code < 0 || (code >= 128 && code < 160))
            throw Failure{kInvalidCall};
        fill = QChar(char16_t(code));
    } else {
        const QString t = toText(ch);
        if (t.isEmpty())
            throw Failure{kInvalidCall};
        fill = t[0];
    }
    c.setText(QString(n, fill));
}

const Entry kTextFunctions[] = {
    {"jet_ucase", 1, changeCase<true>},
    {"jet_lcase", 1, changeCase<false>},
    {"jet_left", 2, leftOrRight<true>},
    {"jet_right", 2, leftOrRight<false>},
    {"jet_mid", 2, mid},
    {"jet_mid", 3, mid},
    {"jet_len", 1, len},
    {"jet_trim", 1, trim<true, true>},
    {"jet_ltrim", 1, trim<true, false>},
    {"jet_rtrim", 1, trim<false, true>},
    {"jet_instr", 2, inStr},
    {"jet_instr", 3, inStr},
    {"jet_instr", 4, inStr},
    {"jet_space", 1, space},
    {"jet_string", 2, string},
};

} // namespace

void registerTextFunctions(sqlite3 *db)
{
    registerEntries(db, kTextFunctions);
}

} // namespace jet
