// SPDX-License-Identifier: GPL-3.0-or-later
// Jet's Format(value[, pattern]) as an SQL function, rendered as under a US
// locale with English names. Only what it can render faithfully is
// rendered: any other pattern is refused with an error naming it, never
// answered with a text Jet would not give.

#include "store/JetValue.h"

#include <QList>
#include <QRegularExpression>

namespace jet {

namespace {

const char *const kMonths[] = {"January",   "February", "March",    "April",
                               "May",       "June",     "July",     "August",
                               "September", "October",  "November", "December"};
const char *const kDays[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                             "Thursday", "Friday", "Saturday"};

[[noreturn]] void unsupported(const QString &pattern)
{
    throw Failure{
        (QStringLiteral("Format pattern '") + pattern + QStringLiteral("' is not supported."))
            .toUtf8()};
}

// A pattern piece: a run of one letter (lower case, `written` as typed), an
// AM/PM marker, or literal text.
struct Token
{
    enum Type
    {
        Letters,
        AmPm,
        Literal
    } type;
    QString text;    // the letters in lower case, the marker or the literal
    QString written; // as typed
};

QList<Token> tokenize(const QString &pattern)
{
    static const char *const kMarkers[] = {"AM/PM", "am/pm", "A/P", "a/p", "AMPM"};
    QList<Token> tokens;
    for (qsizetype i = 0; i < pattern.size();) {
        const QChar ch = pattern[i];
        if (ch == QLatin1Char('"')) {
            const qsizetype close = pattern.indexOf(QLatin1Char('"'), i + 1);
            if (close < 0)
                unsupported(pattern);
            tokens.append({Token::Literal, pattern.mid(i + 1, close - i - 1), {}});
            i = close + 1;
            continue;
        }
        if (ch == QLatin1Char('\\')) {
            if (i + 1 >= pattern.size())
                unsupported(pattern);
            tokens.append({Token::Literal, pattern.mid(i + 1, 1), {}});
            i += 2;
            continue;
        }
        bool marker = false;
        for (const char *m : kMarkers) {
            const QLatin1String text(m);
            if (QStringView(pattern).mid(i, text.size()) == text) {
                tokens.append({Token::AmPm, text, text});
                i += text.size();
                marker = true;
                break;
            }
        }
        if (marker)
            continue;
        if (ch.isLetter()) {
            qsizetype end = i;
            while (end < pattern.size() && pattern[end].toLower() == ch.toLower())
                ++end;
            tokens.append(
                {Token::Letters, pattern.mid(i, end - i).toLower(), pattern.mid(i, end - i)});
            i = end;
            continue;
        }
        tokens.append({Token::Literal, QString(ch), QString(ch)});
        ++i;
    }
    return tokens;
}

QString padded(int n, int width)
{
    return QString::number(n).rightJustified(width, QLatin1Char('0'));
}

QString formatDate(double serial, const QString &pattern, const QList<Token> &tokens);

QString formatDate(double serial, const QString &pattern)
{
    return formatDate(serial, pattern, tokenize(pattern));
}

QString formatDate(double serial, const QString &pattern, const QList<Token> &tokens)
{
    qint64 day = 0;
    int seconds = 0;
    if (!serialToDay(serial, &day, &seconds))
        throw Failure{kOverflow};
    int year = 0, month = 0, dom = 0;
    civilFromDay(day, &year, &month, &dom);
    const int hour = seconds / 3600, minute = seconds / 60 % 60, second = seconds % 60;
    bool twelveHour = false;
    for (const Token &t : tokens)
        twelveHour = twelveHour || t.type == Token::AmPm;
    const int shownHour = twelveHour ? (hour % 12 == 0 ? 12 : hour % 12) : hour;

    QString out;
    QString previous; // the last letters token, for "m" after "h" meaning minutes
    for (qsizetype i = 0; i < tokens.size(); ++i) {
        const Token &t = tokens[i];
        if (t.type == Token::Literal) {
            static const QString kPlain = QStringLiteral(" /:-,.");
            if (!t.written.isEmpty() && !kPlain.contains(t.written))
                unsupported(pattern);
            out += t.text;
            continue;
        }
        if (t.type == Token::AmPm) {
            const bool pm = hour >= 12;
            if (t.text == QLatin1String("AM/PM") || t.text == QLatin1String("AMPM"))
                out += pm ? QStringLiteral("PM") : QStringLiteral("AM");
            else if (t.text == QLatin1String("am/pm"))
                out += pm ? QStringLiteral("pm") : QStringLiteral("am");
            else if (t.text == QLatin1String("A/P"))
                out += pm ? QStringLiteral("P") : QStringLiteral("A");
            else
                out += pm ? QStringLiteral("p") : QStringLiteral("a");
            continue;
        }
        const QString &l = t.text;
        if (l == QLatin1String("m") || l == QLatin1String("mm")) {
            const bool afterHour =
                previous == QLatin1String("h") || previous == QLatin1String("hh");
            if (afterHour) {
                out += padded(minute, int(l.size()));
                previous = l;
                continue;
            }
            // "mm:ss" could mean minutes; rather than guess, refuse.
            for (qsizetype j = i + 1; j < tokens.size(); ++j) {
                if (tokens[j].type != Token::Letters)
                    continue;
                if (tokens[j].text.startsWith(QLatin1Char('s')))
                    unsupported(pattern);
                break;
            }
        }
        previous = l;
        if (l == QLatin1String("c"))
            out += usDateText(serial);
        else if (l == QLatin1String("d") || l == QLatin1String("dd"))
            out += padded(dom, int(l.size()));
        else if (l == QLatin1String("ddd"))
            out += QLatin1String(kDays[weekdayOf(day, 1) - 1]).left(3);
        else if (l == QLatin1String("dddd"))
            out += QLatin1String(kDays[weekdayOf(day, 1) - 1]);
        else if (l == QLatin1String("ddddd"))
            out += formatDate(serial, QStringLiteral("m/d/yyyy"));
        else if (l == QLatin1String("dddddd"))
            out += formatDate(serial, QStringLiteral("dddd, mmmm d, yyyy"));
        else if (l == QLatin1String("w"))
            out += QString::number(weekdayOf(day, 1));
        else if (l == QLatin1String("ww"))
            out += QString::number(weekOfYear(day, 1));
        else if (l == QLatin1String("m") || l == QLatin1String("mm"))
            out += padded(month, int(l.size()));
        else if (l == QLatin1String("mmm"))
            out += QLatin1String(kMonths[month - 1]).left(3);
        else if (l == QLatin1String("mmmm"))
            out += QLatin1String(kMonths[month - 1]);
        else if (l == QLatin1String("q"))
            out += QString::number((month - 1) / 3 + 1);
        else if (l == QLatin1String("y"))
            out += QString::number(day - dayFromCivil(year, 1, 1) + 1);
        else if (l == QLatin1String("yy"))
            out += padded(year % 100, 2);
        else if (l == QLatin1String("yyyy"))
            out += QString::number(year);
        else if (l == QLatin1String("h") || l == QLatin1String("hh"))
            out += padded(shownHour, int(l.size()));
        else if (l == QLatin1String("n") || l == QLatin1String("nn"))
            out += padded(minute, int(l.size()));
        else if (l == QLatin1String("s") || l == QLatin1String("ss"))
            out += padded(second, int(l.size()));
        else if (l == QLatin1String("ttttt"))
            out += formatDate(serial, QStringLiteral("h:nn:ss AM/PM"));
        else
            unsupported(pattern);
    }
    return out;
}

// A number pattern: literal text, then one run of "0", "#", "," and ".",
// then literal text; "%" among the literals multiplies by 100.
QString formatNumber(double value, const QString &pattern)
{
    const QList<Token> tokens = tokenize(pattern);
    static const QString kCore = QStringLiteral("0#,.");
    static const QString kPlain = QStringLiteral(" $-+()%");
    QString prefix, core, suffix;
    int percents = 0;
    for (const Token &t : tokens) {
        if (t.type != Token::Literal)
            unsupported(pattern);
        const bool quoted = t.written.isEmpty();
        if (!quoted && kCore.contains(t.text)) {
            if (!suffix.isEmpty())
                unsupported(pattern); // a second run of digits
            core += t.text;
            continue;
        }
        if (!quoted && !kPlain.contains(t.text))
            unsupported(pattern);
        if (!quoted && t.text == QLatin1String("%"))
            ++percents;
        (core.isEmpty() ? prefix : suffix) += t.text;
    }
    const qsizetype point = core.indexOf(QLatin1Char('.'));
    const QString whole = point < 0 ? core : core.left(point);
    const QString fraction = point < 0 ? QString() : core.mid(point + 1);
    // Hashes before zeros, no comma ending the whole part (that scales by
    // 1000) or in the fraction, one point at most.
    static const QRegularExpression kWhole(QStringLiteral("^[#,]*[0,]*$"));
    static const QRegularExpression kFraction(QStringLiteral("^0*#*$"));
    if (core.isEmpty() || core.count(QLatin1Char('.')) > 1 || !kWhole.match(whole).hasMatch() ||
        !kFraction.match(fraction).hasMatch() || whole.endsWith(QLatin1Char(',')))
        unsupported(pattern);

    for (int i = 0; i < percents; ++i)
        value *= 100;
    const int minWhole = int(whole.count(QLatin1Char('0')));
    const int minFraction = int(fraction.count(QLatin1Char('0')));
    const Digits d = roundDecimal(value, int(fraction.size()), false);
    QString digits = QString::fromStdString(d.integer).rightJustified(minWhole, QLatin1Char('0'));
    QString decimals = QString::fromStdString(d.fraction);
    while (decimals.size() > minFraction && decimals.endsWith(QLatin1Char('0')))
        decimals.chop(1);
    if (value < 0 && (d.integer + d.fraction).find_first_not_of('0') == std::string::npos)
        unsupported(pattern); // whether Jet shows "-0" here is not known
    if (whole.contains(QLatin1Char(','))) {
        for (qsizetype at = digits.size() - 3; at > 0; at -= 3)
            digits.insert(at, QLatin1Char(','));
    }
    QString out = (value < 0 ? QStringLiteral("-") : QString()) + prefix + digits;
    if (point >= 0)
        out += QLatin1Char('.') + decimals;
    return out + suffix;
}

bool isDatePattern(const QString &pattern)
{
    for (const Token &t : tokenize(pattern)) {
        if (t.type != Token::Literal)
            return true;
    }
    return false;
}

// The named formats Jet knows under a US locale, as patterns; the ones
// that need more than a pattern are handled in format().
const struct
{
    const char *name;
    const char *pattern;
    bool date;
} kNamed[] = {
    {"Long Date", "dddd, mmmm d, yyyy", true},
    {"Short Date", "m/d/yyyy", true},
    {"Long Time", "h:nn:ss AM/PM", true},
    {"Medium Time", "hh:nn AM/PM", true},
    {"Short Time", "hh:nn", true},
    {"Fixed", "0.00", false},
    {"Standard", "#,##0.00", false},
    {"Percent", "0.00%", false},
};

double asSerial(const Value &v, const QString &pattern)
{
    double serial = 0;
    if (v.kind == Kind::Text && !parseDate(v.text(), &serial))
        unsupported(pattern);
    return v.kind == Kind::Text ? serial : toSerial(v);
}

double asNumber(const Value &v, const QString &pattern)
{
    double n = 0;
    if (v.kind == Kind::Text && !parseNumber(v.text(), &n))
        unsupported(pattern);
    return v.kind == Kind::Text ? n : toNumber(v);
}

void format(Call &c)
{
    const Value v = c.arg(0);
    const QString pattern = c.count() == 2 ? c.textArg(1) : QString();
    if (v.isNull())
        return c.setNull();
    if (pattern.isEmpty())
        return c.setText(toText(v));
    if (pattern.compare(QLatin1String("General Date"), Qt::CaseInsensitive) == 0)
        return c.setText(usDateText(asSerial(v, pattern)));
    if (pattern.compare(QLatin1String("General Number"), Qt::CaseInsensitive) == 0)
        return c.setText(numberText(asNumber(v, pattern)));
    static const char *const kTruths[][3] = {
        {"Yes/No", "Yes", "No"}, {"True/False", "True", "False"}, {"On/Off", "On", "Off"}};
    for (const auto &truth : kTruths) {
        if (pattern.compare(QLatin1String(truth[0]), Qt::CaseInsensitive) == 0)
            return c.setText(QLatin1String(asNumber(v, pattern) != 0 ? truth[1] : truth[2]));
    }
    for (const auto &named : kNamed) {
        if (pattern.compare(QLatin1String(named.name), Qt::CaseInsensitive) != 0)
            continue;
        const QString p = QLatin1String(named.pattern);
        return c.setText(named.date ? formatDate(asSerial(v, pattern), p)
                                    : formatNumber(asNumber(v, pattern), p));
    }
    if (isDatePattern(pattern))
        return c.setText(formatDate(asSerial(v, pattern), pattern));
    c.setText(formatNumber(asNumber(v, pattern), pattern));
}

const Entry kFormat[] = {
    {"jet_format", 1, format},
    {"jet_format", 2, format},
};

} // namespace

void registerFormat(sqlite3 *db)
{
    registerEntries(db, kFormat);
}

} // namespace jet
