// SPDX-License-Identifier: GPL-3.0-or-later
// The translator's own helpers for dates, which it calls where it knows an
// operand is a date: jetdate_tag tags a stored date as one for the
// functions, jetdate_serial gives any date as Jet's serial number (so that
// dates compare and aggregate as numbers, "2026-03-18 00:00:00" equal to
// "2026-03-18"), jetdate_of turns a serial back into a stored date. Their
// names lack the "jet_" that every function of a statement is given, so a
// statement cannot call them.

#include "store/JetValue.h"

namespace jet {

namespace {

void tag(Call &c)
{
    const Value v = c.arg(0);
    double serial = 0;
    if (v.kind == Kind::Text && storedSerial(v.utf8, v.bytes, &serial))
        return c.setDate(serial);
    c.setArg(0); // not a stored date: it stays what it is
}

void serial(Call &c)
{
    const Value v = c.arg(0);
    double s = 0;
    switch (v.kind) {
    case Kind::Null:
        return c.setNull();
    case Kind::Number:
    case Kind::Date:
        return c.setNumber(v.number);
    case Kind::Text:
        if (storedSerial(v.utf8, v.bytes, &s) || parseDate(v.text(), &s))
            return c.setNumber(s);
        break;
    }
    throw mismatch();
}

void dateOf(Call &c)
{
    if (c.isNull(0))
        return c.setNull();
    c.setDate(toSerial(c.arg(0)));
}

const Entry kTags[] = {
    {"jetdate_tag", 1, tag},
    {"jetdate_serial", 1, serial},
    {"jetdate_of", 1, dateOf},
};

} // namespace

void registerDateTags(sqlite3 *db)
{
    registerEntries(db, kTags);
}

} // namespace jet
