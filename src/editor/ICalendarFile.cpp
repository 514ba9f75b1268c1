// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/ICalendarFile.h"

#include "editor/CalendarImport.h"
#include "editor/CalendarText.h"
#include "editor/ExchangeText.h"
#include "editor/ICalendarLines.h"
#include "editor/YearlyRule.h"
#include "platform/AppError.h"
#include "platform/FileIO.h"
#include "store/DbError.h"
#include "store/JetDate.h"
#include "store/RecordSet.h"

#include <QCryptographicHash>
#include <QHash>
#include <QStringDecoder>

#include <libical/ical.h>

#include <cstdlib>
#include <memory>

namespace {

const QString kKind = QStringLiteral("iCalendar");

struct ComponentFree
{
    void operator()(icalcomponent *c) const { icalcomponent_free(c); }
};
using Component = std::unique_ptr<icalcomponent, ComponentFree>;

// Takes a string libical allocated for the caller.
QString takeText(char *text)
{
    const QString out = QString::fromUtf8(text);
    std::free(text);
    return out;
}

QDate dayOf(const QVariant &v)
{
    return v.typeId() == QMetaType::QDateTime ? v.toDateTime().date() : v.toDate();
}

// DTSTART written from our own text: libical writes a date after the year
// 3000 as 00000000T000000.
icalproperty *startProperty(const QDate &day)
{
    const QByteArray text = isoDateBytes(day).replace('-', QByteArray());
    icalvalue *value = icalvalue_new_from_string(ICAL_DATE_VALUE, text.constData());
    if (!value)
        return nullptr;
    icalproperty *start = icalproperty_new(ICAL_DTSTART_PROPERTY);
    icalproperty_set_value(start, value);
    return start;
}

icalrecurrencetype yearlyRule(const QDate &day)
{
    icalrecurrencetype rule;
    icalrecurrencetype_clear(&rule);
    rule.freq = ICAL_YEARLY_RECURRENCE;
    if (day.month() == 2 && day.day() == 29) {
        rule.by_month[0] = 2;
        rule.by_month[1] = ICAL_RECURRENCE_ARRAY_MAX;
        rule.by_month_day[0] = -1;
        rule.by_month_day[1] = ICAL_RECURRENCE_ARRAY_MAX;
    }
    return rule;
}

// libical's errors stay errors we report; by default some abort.
void quietLibical()
{
    icalerror_set_errors_are_fatal(0);
    icalerrno = ICAL_NO_ERROR;
}

AppError cannotCarry(const QString &description, const QString &why)
{
    return AppError(ErrNo::TypeMismatch,
                    QStringLiteral("The event \"") + description + QStringLiteral("\" ") + why +
                        QStringLiteral(": an iCalendar file cannot carry it."));
}

struct PropertyFree
{
    void operator()(icalproperty *p) const { icalproperty_free(p); }
};
using Property = std::unique_ptr<icalproperty, PropertyFree>;

// A property's text as libical writes it (folded, with its line end); the
// property is freed.
QByteArray propertyText(icalproperty *property)
{
    if (!property)
        throw AppError(ErrNo::OutOfMemory, QStringLiteral("Out of memory"));
    const Property owned(property);
    char *text = icalproperty_as_ical_string_r(property);
    if (!text)
        throw AppError(ErrNo::OutOfMemory, QStringLiteral("Out of memory"));
    QByteArray out(text);
    std::free(text);
    return out;
}

// What every event of one export shares, made and written once: libical
// spends more on building and writing a property than on anything else.
struct ExportShared
{
    explicit ExportShared(const QDateTime &when)
        : stamp(propertyText(icalproperty_new_dtstamp(icaltime_from_timet_with_zone(
              time_t(when.toSecsSinceEpoch()), 0, icaltimezone_get_utc_timezone())))),
          transparent(propertyText(icalproperty_new_transp(ICAL_TRANSP_TRANSPARENT))),
          yearly(propertyText(icalproperty_new_rrule(yearlyRule(QDate(2001, 1, 1))))),
          leapYearly(propertyText(icalproperty_new_rrule(yearlyRule(QDate(2000, 2, 29)))))
    {
    }
    QByteArray stamp;
    QByteArray transparent;
    QByteArray yearly;     // every year on the start's day
    QByteArray leapYearly; // 29 February: the last day of February
    QHash<QString, int> uids;
};

// One row's VEVENT as libical writes a component: its BEGIN line, each
// property's text in turn, its END line.
struct EventText
{
    QString uid;
    QByteArray text;
};

EventText eventText(const RecordSet &rs, int row, const int (&column)[5], ExportShared &shared)
{
    const QVariant date = rs.valueAt(row, column[0]);
    const QVariant type = rs.valueAt(row, column[1]);
    const QString description = rs.valueAt(row, column[2]).toString();
    const QVariant details = rs.valueAt(row, column[4]);
    const QDate day = date.isNull() ? QDate() : dayOf(date);
    if (!day.isValid())
        throw cannotCarry(description, QStringLiteral("has no date"));
    if (day.year() < 1 || day.year() > 9999)
        throw cannotCarry(description, QStringLiteral("lies outside the years 1 to 9999"));
    if (description.contains(QChar(0)) || details.toString().contains(QChar(0)) ||
        type.toString().contains(QChar(0)))
        throw cannotCarry(description, QStringLiteral("holds a NUL character"));
    icalproperty *start = startProperty(day);
    if (!start)
        throw cannotCarry(description, QStringLiteral("has a date libical cannot write"));
    const QByteArray startText = propertyText(start);
    QString uid = eventUid(day, description);
    const int seen = shared.uids[uid]++;
    if (seen > 0) // the same day and description again: still one UID each
        uid += QLatin1Char('-') + QString::number(seen + 1);

    QByteArray text = "BEGIN:VEVENT\r\n";
    text += propertyText(icalproperty_new_uid(uid.toUtf8().constData()));
    text += shared.stamp;
    text += startText;
    text += propertyText(icalproperty_new_summary(description.toUtf8().constData()));
    if (!details.isNull()) {
        QString lines = details.toString();
        lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        text += propertyText(icalproperty_new_description(lines.toUtf8().constData()));
    }
    if (!type.isNull())
        text += propertyText(icalproperty_new_categories(type.toString().toUtf8().constData()));
    text += shared.transparent;
    if (!rs.valueAt(row, column[3]).toBool())
        text += day.month() == 2 && day.day() == 29 ? shared.leapYearly : shared.yearly;
    text += "END:VEVENT\r\n";
    return {uid, text};
}

// Appends the component's text as libical writes it.
void appendText(QByteArray &out, icalcomponent *component)
{
    char *text = icalcomponent_as_ical_string_r(component);
    if (!text)
        throw AppError(ErrNo::OutOfMemory, QStringLiteral("Out of memory"));
    out.append(text);
    std::free(text);
}

} // namespace

QString yearlyRuleText(const QDate &day)
{
    icalrecurrencetype rule = yearlyRule(day);
    return takeText(icalrecurrencetype_as_string_r(&rule));
}

QString eventUid(const QDate &day, const QString &description)
{
    const QByteArray key = isoDateBytes(day) + '\n' + description.toUtf8();
    return QString::fromLatin1(QCryptographicHash::hash(key, QCryptographicHash::Sha1).toHex()) +
           QStringLiteral("@almarik");
}

namespace {

// The columns the events are read from, in eventText's order.
void eventColumns(const RecordSet &rs, int (&column)[5])
{
    const char *names[5] = {"Dates", "icon", "Description", "ShowOnce", "Details"};
    for (int i = 0; i < 5; ++i) {
        column[i] = rs.fieldIndex(QString::fromLatin1(names[i]));
        if (column[i] < 0)
            throw fieldNotFound();
    }
}

// The calendar's own lines without its END line, which follows the events.
const QByteArray kCalendarEnd = "END:VCALENDAR\r\n";

QByteArray calendarHead()
{
    const Component calendar(icalcomponent_new_vcalendar());
    icalcomponent_add_property(calendar.get(), icalproperty_new_version("2.0"));
    icalcomponent_add_property(
        calendar.get(), icalproperty_new_prodid("-//Almarik//Almarik " ALMARIK_VERSION "//EN"));
    icalcomponent_add_property(calendar.get(), icalproperty_new_calscale("GREGORIAN"));
    QByteArray out;
    appendText(out, calendar.get());
    if (!out.endsWith(kCalendarEnd))
        throw AppError(ErrNo::InternalError, QStringLiteral("Internal error"));
    out.chop(kCalendarEnd.size());
    return out;
}

} // namespace

QByteArray icalendarText(const RecordSet &rs, const QDateTime &stamp, int *count)
{
    int column[5];
    eventColumns(rs, column);
    quietLibical();
    ExportShared shared(stamp);
    // The calendar's own lines, then each event written and freed in turn
    // (a whole tree of them costs many times the file), then its end.
    QByteArray out = calendarHead();
    const int rows = rs.RecordCount();
    for (int r = 0; r < rows; ++r)
        out += eventText(rs, r, column, shared).text;
    out.append(kCalendarEnd);
    if (count)
        *count = rows;
    return out;
}

QList<CalendarObject> calendarObjects(const RecordSet &rs, const QDateTime &stamp)
{
    int column[5];
    eventColumns(rs, column);
    quietLibical();
    ExportShared shared(stamp);
    const QByteArray head = calendarHead();
    QList<CalendarObject> objects;
    const int rows = rs.RecordCount();
    for (int r = 0; r < rows; ++r) {
        const EventText event = eventText(rs, r, column, shared);
        CalendarObject o;
        o.uid = event.uid;
        o.day = dayOf(rs.valueAt(r, column[0]));
        o.description = rs.valueAt(r, column[2]).toString();
        o.text = head;
        o.text += event.text;
        o.text.append(kCalendarEnd);
        objects << o;
    }
    return objects;
}

int ExportICalendarFile(const RecordSet &rs, const QString &path, const QDateTime &stamp)
{
    int count = 0;
    const QByteArray text = icalendarText(rs, stamp, &count);
    writeWholeFile(path, text);
    return count;
}

namespace {

QString eventName(int number, const char *summary)
{
    return QStringLiteral("event ") + QString::number(number) +
           (summary && *summary
                ? QStringLiteral(" (\"") + QString::fromUtf8(summary) + QStringLiteral("\")")
                : QString());
}

// The day DTSTART names: a date as it is, a date-time with a zone (UTC or
// TZID, resolved by libical) as its date in zone, a floating one as written.
QDate startDay(icalcomponent *event, int number, const char *summary, const QTimeZone &zone)
{
    const auto name = [&] { return eventName(number, summary); };
    icalproperty *start = icalcomponent_get_first_property(event, ICAL_DTSTART_PROPERTY);
    if (!start)
        throw unreadableFile(kKind,
                             QStringLiteral("its ") + name() + QStringLiteral(" has no DTSTART."));
    const icaltimetype t = icalcomponent_get_dtstart(event);
    const auto written = [&] {
        const char *raw = icalproperty_get_value_as_string(start);
        return raw ? QString::fromUtf8(raw) : QString();
    };
    const QDate asWritten(t.year, t.month, t.day);
    if (icaltime_is_null_time(t) || !asWritten.isValid() ||
        (!t.is_date && !QTime::isValid(t.hour, t.minute, t.second)))
        throw unreadableFile(kKind, QStringLiteral("the DTSTART \"") + written() +
                                        QStringLiteral("\" of its ") + name() +
                                        QStringLiteral(" is not a real date."));
    QDate day = asWritten;
    if (!t.is_date && (t.zone || icaltime_is_utc(t))) {
        const icaltimezone *from = t.zone ? t.zone : icaltimezone_get_utc_timezone();
        const qint64 seconds = qint64(icaltime_as_timet_with_zone(t, from));
        day = QDateTime::fromSecsSinceEpoch(seconds, zone).date();
    }
    if (day.year() < 100 || day.year() > 9999)
        throw unreadableFile(kKind, QStringLiteral("the DTSTART \"") + written() +
                                        QStringLiteral("\" of its ") + name() +
                                        QStringLiteral(" lies outside the years 100 to 9999."));
    return day;
}

// The type key among the event's categories, the first that is one of ours.
QString eventTypeKey(icalcomponent *event)
{
    for (icalproperty *p = icalcomponent_get_first_property(event, ICAL_CATEGORIES_PROPERTY); p;
         p = icalcomponent_get_next_property(event, ICAL_CATEGORIES_PROPERTY)) {
        const char *value = icalproperty_get_categories(p);
        if (!value)
            continue;
        const QString categories = QString::fromUtf8(value);
        for (const QStringView part : QStringView(categories).tokenize(u',')) {
            const QString key = typeKeyNamed(part);
            if (!key.isNull())
                return key;
        }
    }
    return QString();
}

// How an event repeats: not at all, by a yearly rule (the first there is;
// its note when it is more than the start's day every year) or by another
// ("weekly").
struct Repeats
{
    bool yearly = false;
    QString note;
    QString other;
};

Repeats repeats(icalcomponent *event, bool plainYearly, const QDate &day)
{
    Repeats r;
    if (plainYearly) { // the first rule, so the one taken: it needs no note
        r.yearly = true;
        return r;
    }
    for (icalproperty *p = icalcomponent_get_first_property(event, ICAL_RRULE_PROPERTY); p;
         p = icalcomponent_get_next_property(event, ICAL_RRULE_PROPERTY)) {
        const icalrecurrencetype rule = icalproperty_get_rrule(p);
        if (rule.freq == ICAL_YEARLY_RECURRENCE) {
            r.yearly = true;
            r.note = yearlyRuleNote(rule, day);
            return r;
        }
        if (rule.freq != ICAL_NO_RECURRENCE)
            r.other = QString::fromLatin1(icalrecur_freq_to_string(rule.freq)).toLower();
    }
    return r;
}

// libical drops a property it cannot read and leaves its complaint in an
// X-LIC-ERROR. One about a property we read refuses the file; an empty
// value is no fault (calendar programs write "DESCRIPTION:" for none), and
// complaints about properties we do not read do not concern us. True when
// the event's DESCRIPTION was there but empty.
bool checkComplaints(icalcomponent *event, int number, const char *summary)
{
    bool emptyDescription = false;
    for (icalproperty *p = icalcomponent_get_first_property(event, ICAL_XLICERROR_PROPERTY); p;
         p = icalcomponent_get_next_property(event, ICAL_XLICERROR_PROPERTY)) {
        const QString text = QString::fromUtf8(icalproperty_get_xlicerror(p));
        if (text.startsWith(QLatin1String("No value for "))) {
            emptyDescription = emptyDescription || text.contains(QLatin1String(" DESCRIPTION "));
            continue;
        }
        for (const char *read : {"DTSTART", "SUMMARY", "DESCRIPTION", "CATEGORIES", "RRULE"}) {
            const QString property = QString::fromLatin1(read);
            if (text.contains(QLatin1Char(' ') + property + QStringLiteral(" property")) ||
                text.contains(QStringLiteral("property ") + property))
                throw unreadableFile(kKind, QStringLiteral("its ") + eventName(number, summary) +
                                                QStringLiteral(" could not be read: ") + text);
        }
    }
    return emptyDescription;
}

void readEvent(icalcomponent *event, int number, const QDate &today, const QTimeZone &zone,
               const EventNotes &notes, ImportRead &read, int &withoutSummary)
{
    const char *summary = icalcomponent_get_summary(event);
    const bool emptyDescription = checkComplaints(event, number, summary);
    const QDate day = startDay(event, number, summary, zone);
    if (!summary || !*summary) {
        ++withoutSummary;
        return;
    }
    const auto decoded = [](QByteArrayView bytes) {
        // A text's first character may be U+FEFF, which fromUtf8 would drop.
        if (!bytes.startsWith("\xEF\xBB\xBF"))
            return QString::fromUtf8(bytes);
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
        return QString(utf8(bytes));
    };
    const auto text = [&](const char *value, int which) {
        const auto found = notes.padded.constFind(qsizetype(number) * 2 + which);
        if (found == notes.padded.constEnd())
            return decoded(QByteArrayView(value));
        return decoded(withBlanks(QByteArray(value), &*found));
    };
    const char *description = icalcomponent_get_description(event);
    const Repeats rule = repeats(event, notes.plainYearly.contains(number), day);
    ImportCandidate c = calendarCandidate(day, text(summary, 0), eventTypeKey(event),
                                          rule.yearly || !rule.other.isEmpty(),
                                          description        ? text(description, 1)
                                          : emptyDescription ? QStringLiteral("")
                                                             : QString());
    if (!rule.note.isEmpty()) {
        c.suggested = false;
        addNote(c, rule.note);
    } else if (!rule.yearly && !rule.other.isEmpty()) {
        c.suggested = false;
        addNote(c, QStringLiteral("repeats ") + rule.other + QStringLiteral(", taken as yearly"));
    } else if (!rule.yearly && day < today.addDays(-2)) {
        c.suggested = false;
        addNote(c, QStringLiteral("past, once: removed at the next start"));
    }
    read.candidates.append(std::move(c));
}

// The events of one part of the file, numbered on from number.
void readPart(const QByteArray &part, int &number, const QDate &today, const QTimeZone &zone,
              const EventNotes &notes, ImportRead &read, int &withoutSummary)
{
    const Component calendar(icalparser_parse_string(part.constData()));
    if (!calendar || icalcomponent_isa(calendar.get()) != ICAL_VCALENDAR_COMPONENT)
        throw unreadableFile(kKind, QStringLiteral("libical found no calendar in it."));
    for (icalcomponent *event =
             icalcomponent_get_first_component(calendar.get(), ICAL_VEVENT_COMPONENT);
         event; event = icalcomponent_get_next_component(calendar.get(), ICAL_VEVENT_COMPONENT)) {
        ++number;
        if (icalcomponent_get_first_property(event, ICAL_RECURRENCEID_PROPERTY))
            continue; // a changed occurrence of an event listed already
        readEvent(event, number, today, zone, notes, read, withoutSummary);
    }
}

} // namespace

ImportRead parseICalendar(const QByteArray &file, const QDate &today, const QTimeZone &zone,
                          const ReadProgress &progress)
{
    const QByteArray bytes = calendarFileText(file, kKind, "BEGIN:VCALENDAR");
    if (const int line = invalidUtf8Line(bytes))
        throw unreadableFile(kKind, QStringLiteral("line ") + QString::number(line) +
                                        QStringLiteral(" is not UTF-8 text."));
    if (const qsizetype nul = bytes.indexOf('\0'); nul >= 0)
        throw unreadableFile(kKind, QStringLiteral("line ") +
                                        QString::number(bytes.left(nul).count('\n') + 1) +
                                        QStringLiteral(" holds a NUL byte."));
    // libical takes time by the square of an unfolded line's length.
    if (const int line = overlongLine(bytes, kMaxICalendarLineBytes))
        throw unreadableFile(kKind, QStringLiteral("line ") + QString::number(line) +
                                        QStringLiteral(" is longer than %L1 bytes; calendar "
                                                       "programs fold their lines.")
                                            .arg(kMaxICalendarLineBytes));
    const qsizetype end = calendarEnd(bytes);
    if (end < 0)
        throw unreadableFile(kKind, QStringLiteral("it ends before its END:VCALENDAR line; "
                                                   "the file is incomplete."));
    const QByteArray text = bytes.left(end);
    EventNotes notes;
    ImportRead read;
    int number = 0;
    int withoutSummary = 0;
    quietLibical();
    // Parts of 100 events: measured faster than 1,000 (libical and malloc).
    struct Stopped
    {
    };
    try {
        forEachCalendarPart(text, 100, notes, [&](const QByteArray &part, qsizetype done) {
            readPart(part, number, today, zone, notes, read, withoutSummary);
            if (progress && !progress(done, text.size()))
                throw Stopped{};
        });
    } catch (const Stopped &) {
        return ImportRead{{}, {}, true};
    }
    if (withoutSummary > 0)
        read.skipped << QString::number(withoutSummary) + QStringLiteral(" events had no summary");
    return read;
}

ImportRead readICalendarFile(const QString &path, const QDate &today, const ReadProgress &progress)
{
    return parseICalendar(readWholeFile(path), today, QTimeZone::systemTimeZone(), progress);
}
