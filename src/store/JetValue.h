// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Internal to the Jet SQL functions: a SQLite value read as one of Jet's
// kinds (Null, number, text, date), the conversions between them as Jet
// makes them, and the one way a function hands back its result or error.

#include "store/DbError.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <string>

struct sqlite3;
struct sqlite3_context;
struct sqlite3_value;

namespace jet {

// Jet's own messages, word for word.
inline constexpr const char *kMismatch = kTypeMismatch;
inline constexpr const char *kInvalidCall = ::kInvalidCall;
inline constexpr const char *kOverflow = ::kOverflow;
inline constexpr char kDivisionByZero[] = "Division by zero";
inline constexpr const char *kInvalidNull = kInvalidUseOfNull;

// Thrown by the helpers; the call turns it into the statement's error,
// marked as a type mismatch by its code so that callers need not read it.
struct Failure
{
    QByteArray message;
    bool mismatch = false;
};

inline Failure mismatch()
{
    return Failure{kMismatch, true};
}

// The SQLite subtype that marks a text as a date between functions.
inline constexpr unsigned kDateSubtype = 'D';

enum class Kind
{
    Null,
    Number,
    Text,
    Date
};

// One argument. A value is a date only when it comes tagged as one (the
// kDateSubtype that date results and the translator's jetdate_tag carry, on a
// stored ISO date of the years 100 to 9999): a text that merely looks like
// a date stays a text. A date's serial is Jet's (days since 30 December
// 1899, the time as the fraction, the fraction counted away from zero
// before it).
struct Value
{
    Kind kind = Kind::Null;
    bool integral = false; // a number held exactly in `integer`
    qint64 integer = 0;
    double number = 0; // a number, or a date's serial
    const char *utf8 = nullptr;
    int bytes = 0;

    bool isNull() const { return kind == Kind::Null; }
    QString text() const { return QString::fromUtf8(utf8, bytes); }
};

// Day number and seconds of the day of a serial, rounded to the second as
// the stored form keeps it. False outside the years 100 to 9999.
bool serialToDay(double serial, qint64 *day, int *seconds);
double dayToSerial(qint64 day, int seconds);

// Days since 30 December 1899 of a calendar date; any month and day count
// (month 13, day 0) roll over as Jet's DateSerial does.
qint64 dayFromCivil(qint64 year, qint64 month, qint64 day);
void civilFromDay(qint64 day, int *year, int *month, int *dayOfMonth);
int daysInMonth(int year, int month);
// 1 to 7, counted from firstDay (1 = Sunday ... 7 = Saturday).
int weekdayOf(qint64 day, int firstDay);
// The week of the year: week 1 holds 1 January, weeks begin on firstDay.
int weekOfYear(qint64 day, int firstDay);
inline constexpr qint64 kFirstDay = -657434; // 1 January 100
inline constexpr qint64 kLastDay = 2958465;  // 31 December 9999

// The stored form of a date: "yyyy-mm-dd", with " hh:mm:ss" when the time
// is not midnight. Throws `outOfRange` outside the years 100 to 9999.
QString isoText(double serial, const char *outOfRange = kOverflow);

// A date as Jet shows it under a US locale: "m/d/yyyy", " h:nn:ss AM/PM"
// after it when there is a time, the time alone on day zero.
QString usDateText(double serial);

// A number as Jet shows it: up to 15 significant digits, no trailing zeros,
// "1E+15" and "1E-05" outside the plain range.
QString numberText(double value);

// The value as Jet turns it into text (CStr, "&", text functions).
QString toText(const Value &value);

// Numeric text as Jet reads it ("  12", "-1.5e3", "1,000", "&H10"); false
// for anything else.
bool parseNumber(const QString &text, double *out);

// A stored date ("yyyy-mm-dd" or "yyyy-mm-dd hh:mm:ss", the years 100 to
// 9999) as its serial; false for any other text.
bool storedSerial(const char *utf8, int bytes, double *serial);

// A text date as Jet reads it (the stored form, m/d/yyyy, yyyy/m/d, month
// names, with or without a time); false when the text is not a date.
bool parseDate(const QString &text, double *serial);

// Conversions that throw mismatch() when the value has no such meaning, and
// kInvalidNull for Null.
double toNumber(const Value &value);
double toSerial(const Value &value);
bool toBool(const Value &value); // Null is false

// Banker's rounding to a whole number in [min, max]; kOverflow outside.
qint64 roundToInteger(double value, qint64 min, qint64 max);

// |value| as rounded decimal digits: the integer part (no leading zeros)
// and exactly `decimals` fraction digits, worked on the 15 significant
// digits Jet keeps so that 0.125 rounds as the decimal it shows.
struct Digits
{
    std::string integer;
    std::string fraction;
};
Digits roundDecimal(double value, int decimals, bool halfEven);

// One call of a registered function: its arguments and its result.
class Call
{
public:
    Call(sqlite3_context *ctx, int argc, sqlite3_value **argv);
    int count() const { return m_argc; }
    Value arg(int i) const;
    bool isNull(int i) const;
    bool anyNull() const;
    // The argument as a whole number (banker's rounding); kInvalidNull for
    // Null.
    qint64 integerArg(int i, qint64 min = -2147483648LL, qint64 max = 2147483647LL) const;
    QString textArg(int i) const; // kInvalidNull for Null

    void setNull();
    void setNumber(double value); // an integer when whole
    void setInteger(qint64 value);
    void setDouble(double value);
    void setBool(bool value) { setInteger(value ? -1 : 0); }
    void setText(const QString &text);
    void setDate(double serial, const char *outOfRange = kOverflow);
    void setArg(int i); // the argument itself, unchanged

private:
    sqlite3_context *m_ctx;
    int m_argc;
    sqlite3_value **m_argv;
};

using Body = void (*)(Call &);

// One SQL function: its name, its argument count (-1 for any) and body.
struct Entry
{
    const char *name;
    int argc;
    Body body;
    bool deterministic = true;
};

void registerEntries(sqlite3 *db, const Entry *begin, const Entry *end);

template <size_t N> void registerEntries(sqlite3 *db, const Entry (&entries)[N])
{
    registerEntries(db, entries, entries + N);
}

// Each group of functions, registered by registerJetFunctions.
void registerOperators(sqlite3 *db);
void registerDateFunctions(sqlite3 *db);
void registerFormat(sqlite3 *db);
void registerTextFunctions(sqlite3 *db);
void registerConversions(sqlite3 *db);
void registerDateTags(sqlite3 *db);

} // namespace jet
