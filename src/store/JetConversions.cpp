// SPDX-License-Identifier: GPL-3.0-or-later
// Jet's conversion, test and number functions as SQL functions: CStr, CLng,
// CInt (banker's rounding, range checked), CDbl, Val, Nz, IsNull,
// IsNumeric, IIf, Abs, Int, Fix, Sgn, Sqr and Round.

#include "store/JetValue.h"

#include <cctype>
#include <cmath>
#include <limits>

namespace jet {

namespace {

void cstr(Call &c)
{
    c.setText(c.textArg(0));
}

template <qint64 Min, qint64 Max> void cinteger(Call &c)
{
    c.setInteger(c.integerArg(0, Min, Max));
}

void cdbl(Call &c)
{
    c.setDouble(toNumber(c.arg(0)));
}

// Val reads the number at the start of a text, as VB does: blanks, tabs
// and line ends anywhere are skipped, it stops at the first character that
// cannot continue a number, "&H" and "&O" read hexadecimal and octal.
void val(Call &c)
{
    QByteArray t;
    for (const QChar ch : c.textArg(0)) {
        if (ch != QLatin1Char(' ') && ch != QLatin1Char('\t') && ch != QLatin1Char('\n') &&
            ch != QLatin1Char('\r'))
            t += ch.unicode() < 0x80 ? char(ch.unicode()) : '\x7f';
    }
    if (t.size() >= 2 && t[0] == '&' &&
        (t[1] == 'h' || t[1] == 'H' || t[1] == 'o' || t[1] == 'O')) {
        const bool hex = t[1] == 'h' || t[1] == 'H';
        const int base = hex ? 16 : 8;
        quint64 n = 0;
        int count = 0;
        for (qsizetype i = 2; i < t.size(); ++i) {
            const int digit = t[i] >= '0' && t[i] <= '9'          ? t[i] - '0'
                              : hex && std::isxdigit(uchar(t[i])) ? (t[i] | 0x20) - 'a' + 10
                                                                  : 99;
            if (digit >= base)
                break;
            n = n * base + quint64(digit);
            if (++count > (hex ? 8 : 11) || n > 0xFFFFFFFFu)
                throw Failure{kOverflow};
        }
        // Up to four hex digits (six octal) are an Integer, up to eight a
        // Long, each read with its sign bit: "&HFFFF" is -1.
        if (n <= 0xFFFF && count <= (hex ? 4 : 6))
            return c.setInteger(qint16(quint16(n)));
        return c.setInteger(qint32(quint32(n)));
    }
    qsizetype i = 0;
    auto digits = [&] {
        const qsizetype from = i;
        while (i < t.size() && t[i] >= '0' && t[i] <= '9')
            ++i;
        return i - from;
    };
    if (i < t.size() && (t[i] == '+' || t[i] == '-'))
        ++i;
    qsizetype mantissa = digits();
    if (i < t.size() && t[i] == '.') {
        ++i;
        mantissa += digits();
    }
    qsizetype end = i;
    if (mantissa > 0 && i < t.size() &&
        (t[i] == 'e' || t[i] == 'E' || t[i] == 'd' || t[i] == 'D')) {
        ++i;
        if (i < t.size() && (t[i] == '+' || t[i] == '-'))
            ++i;
        if (digits() > 0)
            end = i;
    }
    if (mantissa == 0)
        return c.setInteger(0);
    QByteArray number = t.left(end);
    number.replace('d', 'e').replace('D', 'e');
    c.setDouble(number.toDouble());
}

void nz(Call &c)
{
    if (!c.isNull(0))
        return c.setArg(0);
    if (c.count() == 2)
        return c.setArg(1);
    c.setText(QString());
}

void isNull(Call &c)
{
    c.setBool(c.isNull(0));
}

void isNumeric(Call &c)
{
    const Value v = c.arg(0);
    double n = 0;
    bool numeric = v.kind == Kind::Number;
    if (v.kind == Kind::Text) {
        try {
            numeric = parseNumber(v.text(), &n);
        } catch (const Failure &) {
            numeric = false; // too large for a number
        }
    }
    c.setBool(numeric);
}

// IIf(condition, a, b): both sides were worked out already, as in Jet; a
// Null condition counts as false.
void iif(Call &c)
{
    c.setArg(toBool(c.arg(0)) ? 1 : 2);
}

void abs(Call &c)
{
    const Value v = c.arg(0);
    if (v.isNull())
        return c.setNull();
    if (v.integral && v.integer != std::numeric_limits<qint64>::min())
        return c.setInteger(v.integer < 0 ? -v.integer : v.integer);
    c.setNumber(std::fabs(toNumber(v)));
}

// Int rounds down, Fix toward zero; a date stays a date.
template <bool Down> void wholePart(Call &c)
{
    const Value v = c.arg(0);
    if (v.isNull())
        return c.setNull();
    if (v.integral)
        return c.setInteger(v.integer);
    const double n = toNumber(v);
    const double whole = Down ? std::floor(n) : std::trunc(n);
    if (v.kind == Kind::Date)
        return c.setDate(whole);
    c.setNumber(whole);
}

void sgn(Call &c)
{
    if (c.isNull(0))
        return c.setNull();
    const double n = toNumber(c.arg(0));
    c.setInteger(n > 0 ? 1 : n < 0 ? -1 : 0);
}

void sqr(Call &c)
{
    if (c.isNull(0))
        return c.setNull();
    const double n = toNumber(c.arg(0));
    if (n < 0)
        throw Failure{kInvalidCall};
    c.setNumber(std::sqrt(n));
}

// Round(x[, places]) rounds a half to the even neighbour, as Jet does.
void round(Call &c)
{
    const qint64 places = c.count() == 2 ? c.integerArg(1) : 0;
    if (places < 0 || places > 15)
        throw Failure{kInvalidCall};
    if (c.isNull(0))
        return c.setNull();
    const double n = toNumber(c.arg(0));
    const Digits d = roundDecimal(n, int(places), true);
    const QByteArray text =
        QByteArray::fromStdString((d.integer.empty() ? "0" : d.integer) + "." + d.fraction + "0");
    const double r = text.toDouble();
    c.setNumber(n < 0 ? -r : r);
}

const Entry kConversions[] = {
    {"jet_cstr", 1, cstr},
    {"jet_clng", 1,
     cinteger<std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max()>},
    {"jet_cint", 1,
     cinteger<std::numeric_limits<qint16>::min(), std::numeric_limits<qint16>::max()>},
    {"jet_cdbl", 1, cdbl},
    {"jet_val", 1, val},
    {"jet_nz", 1, nz},
    {"jet_nz", 2, nz},
    {"jet_isnull", 1, isNull},
    {"jet_isnumeric", 1, isNumeric},
    {"jet_iif", 3, iif},
    {"jet_abs", 1, abs},
    {"jet_int", 1, wholePart<true>},
    {"jet_fix", 1, wholePart<false>},
    {"jet_sgn", 1, sgn},
    {"jet_sqr", 1, sqr},
    {"jet_round", 1, round},
    {"jet_round", 2, round},
};

} // namespace

void registerConversions(sqlite3 *db)
{
    registerEntries(db, kConversions);
}

} // namespace jet
