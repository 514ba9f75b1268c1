// SPDX-License-Identifier: GPL-3.0-or-later
// Jet's arithmetic and "&" as SQL functions. SQLite's own operators know
// only numbers; here the kind of each value, read at run time, decides:
// a date plus a number is a date, two dates subtract to days, two texts
// joined by "+" concatenate, and a text that is no number is refused.

#include "store/JetValue.h"

#include <cmath>
#include <limits>
#include <utility>

namespace jet {

namespace {

constexpr qint64 kLongMin = std::numeric_limits<qint32>::min();
constexpr qint64 kLongMax = std::numeric_limits<qint32>::max();

void add(Call &c)
{
    if (c.anyNull())
        return c.setNull();
    const Value a = c.arg(0);
    const Value b = c.arg(1);
    if (a.kind == Kind::Text && b.kind == Kind::Text)
        return c.setText(a.text() + b.text());
    if (a.kind == Kind::Date || b.kind == Kind::Date)
        return c.setDate(toNumber(a) + toNumber(b));
    qint64 sum = 0;
    if (a.integral && b.integral && !__builtin_add_overflow(a.integer, b.integer, &sum))
        return c.setInteger(sum);
    c.setNumber(toNumber(a) + toNumber(b));
}

void subtract(Call &c)
{
    if (c.anyNull())
        return c.setNull();
    const Value a = c.arg(0);
    const Value b = c.arg(1);
    if (a.kind == Kind::Date && b.kind == Kind::Date)
        return c.setNumber(a.number - b.number); // days between them
    if (a.kind == Kind::Date || b.kind == Kind::Date)
        return c.setDate(toNumber(a) - toNumber(b));
    qint64 difference = 0;
    if (a.integral && b.integral && !__builtin_sub_overflow(a.integer, b.integer, &difference))
        return c.setInteger(difference);
    c.setNumber(toNumber(a) - toNumber(b));
}

void multiply(Call &c)
{
    if (c.anyNull())
        return c.setNull();
    const Value a = c.arg(0);
    const Value b = c.arg(1);
    qint64 product = 0;
    if (a.integral && b.integral && !__builtin_mul_overflow(a.integer, b.integer, &product))
        return c.setInteger(product);
    c.setNumber(toNumber(a) * toNumber(b));
}

void divide(Call &c)
{
    if (c.anyNull())
        return c.setNull();
    const double x = toNumber(c.arg(0));
    const double y = toNumber(c.arg(1));
    if (y == 0)
        throw Failure{kDivisionByZero};
    c.setNumber(x / y);
}

// "\" and Mod round both sides to whole numbers (a half to the even one)
// before they divide.
std::pair<qint64, qint64> wholeOperands(Call &c)
{
    const qint64 x = c.integerArg(0, kLongMin, kLongMax);
    const qint64 y = c.integerArg(1, kLongMin, kLongMax);
    if (y == 0)
        throw Failure{kDivisionByZero};
    return {x, y};
}

void integerDivide(Call &c)
{
    if (c.anyNull())
        return c.setNull();
    const auto [x, y] = wholeOperands(c);
    if (x / y > kLongMax)
        throw Failure{kOverflow};
    c.setInteger(x / y);
}

void modulo(Call &c)
{
    if (c.anyNull())
        return c.setNull();
    const auto [x, y] = wholeOperands(c);
    c.setInteger(x % y);
}

void power(Call &c)
{
    if (c.anyNull())
        return c.setNull();
    const double x = toNumber(c.arg(0));
    const double y = toNumber(c.arg(1));
    const double r = std::pow(x, y);
    if ((x == 0 && y < 0) || std::isnan(r))
        throw Failure{kInvalidCall};
    c.setNumber(r);
}

void negate(Call &c)
{
    if (c.anyNull())
        return c.setNull();
    const Value a = c.arg(0);
    if (a.kind == Kind::Date)
        return c.setDate(-a.number);
    if (a.integral && a.integer != std::numeric_limits<qint64>::min())
        return c.setInteger(-a.integer);
    c.setNumber(-toNumber(a));
}

// "&" joins the texts of both sides, a Null counting as the empty text;
// only two Nulls give Null.
void concatenate(Call &c)
{
    const Value a = c.arg(0);
    const Value b = c.arg(1);
    if (a.isNull() && b.isNull())
        return c.setNull();
    c.setText(toText(a) + toText(b));
}

const Entry kOperators[] = {
    {"jet_add", 2, add},    {"jet_sub", 2, subtract},       {"jet_mul", 2, multiply},
    {"jet_div", 2, divide}, {"jet_idiv", 2, integerDivide}, {"jet_mod", 2, modulo},
    {"jet_pow", 2, power},  {"jet_neg", 1, negate},         {"jet_cat", 2, concatenate},
};

} // namespace

void registerOperators(sqlite3 *db)
{
    registerEntries(db, kOperators);
}

} // namespace jet
