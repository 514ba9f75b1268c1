// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/ICalendarLines.h"

#include <QList>

#include <algorithm>
#include <iterator>

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

// A line of text, its ending aside.
struct Line
{
    qsizetype from = 0;
    qsizetype to = 0;   // before its CR LF or LF
    qsizetype next = 0; // where the next line begins
};

Line lineAt(const QByteArray &text, qsizetype from)
{
    qsizetype end = text.indexOf('\n', from);
    const qsizetype next = end < 0 ? text.size() : end + 1;
    if (end < 0)
        end = text.size();
    if (end > from && text[end - 1] == '\r')
        --end;
    return {from, end, next};
}

bool startsWithName(const QByteArray &text, const Line &line, const char *name)
{
    const qsizetype n = qsizetype(qstrlen(name));
    return line.to - line.from > n &&
           qstrnicmp(text.constData() + line.from, name, size_t(n)) == 0 &&
           (text[line.from + n] == ':' || text[line.from + n] == ';');
}

// The value of a BEGIN: or END: line, trimmed, in upper case.
QByteArray componentName(const QByteArray &text, const Line &line)
{
    const qsizetype colon = text.indexOf(':', line.from);
    return text.mid(colon + 1, line.to - colon - 1).trimmed().toUpper();
}

// A content line's value after its name and parameters (a colon inside
// quotes being part of a parameter).
QByteArray valueOf(const QByteArray &logical)
{
    bool quoted = false;
    for (qsizetype i = 0; i < logical.size(); ++i) {
        if (logical[i] == '"')
            quoted = !quoted;
        else if (logical[i] == ':' && !quoted)
            return logical.mid(i + 1);
    }
    return {};
}

// The text libical makes of a value: its escapes undone as it undoes them
// (an unknown one becomes a blank).
QByteArray unescaped(const QByteArray &value)
{
    QByteArray out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] != '\\' || i + 1 == value.size()) {
            out += value[i];
            continue;
        }
        switch (value[++i]) {
        case 'n':
        case 'N':
            out += '\n';
            break;
        case 't':
        case 'T':
            out += '\t';
            break;
        case 'r':
        case 'R':
            out += '\r';
            break;
        case 'b':
        case 'B':
            out += '\b';
            break;
        case 'f':
        case 'F':
            out += '\f';
            break;
        case '\\':
        case ';':
        case ',':
        case '"':
            out += value[i];
            break;
        default:
            out += ' ';
        }
    }
    return out;
}

} // namespace

qsizetype calendarEnd(const QByteArray &text)
{
    qsizetype to = text.size();
    while (to > 0) {
        qsizetype from = to - 1;
        if (text[from] == '\n')
            --from; // the ending of the line before
        while (from >= 0 && text[from] != '\n')
            --from;
        const Line line = lineAt(text, from + 1);
        const QByteArray content = text.mid(line.from, line.to - line.from).trimmed();
        if (content.compare("END:VCALENDAR", Qt::CaseInsensitive) == 0)
            return line.next;
        const QByteArray upper = content.toUpper();
        if (upper.startsWith("BEGIN:") || upper.startsWith("END:"))
            return -1;
        to = from + 1;
    }
    return -1;
}

QHash<qsizetype, PaddedValue> paddedTexts(const QByteArray &text)
{
    QHash<qsizetype, PaddedValue> padded;
    QList<QByteArray> open; // the components the line is in
    qsizetype event = 0;
    bool seen[2] = {false, false};
    for (qsizetype at = 0; at < text.size();) {
        const Line line = lineAt(text, at);
        at = line.next;
        if (startsWithName(text, line, "BEGIN")) {
            open.append(componentName(text, line));
            if (open.size() == 2 && open[0] == "VCALENDAR" && open[1] == "VEVENT") {
                ++event;
                seen[0] = seen[1] = false;
            }
            continue;
        }
        if (startsWithName(text, line, "END")) {
            if (!open.isEmpty())
                open.removeLast();
            continue;
        }
        const int which = startsWithName(text, line, "SUMMARY")       ? 0
                          : startsWithName(text, line, "DESCRIPTION") ? 1
                                                                      : -1;
        if (which < 0 || open.size() != 2 || open[1] != "VEVENT" || seen[which])
            continue;
        seen[which] = true;
        QByteArray logical = text.mid(line.from, line.to - line.from);
        while (at < text.size() && isBlank(text[at])) { // folded: the break and one blank go
            const Line more = lineAt(text, at);
            logical += text.mid(more.from + 1, more.to - more.from - 1);
            at = more.next;
        }
        const QByteArray value = valueOf(logical);
        qsizetype lead = 0;
        while (lead < value.size() && isBlank(value[lead]))
            ++lead;
        qsizetype trail = value.size();
        while (trail > lead && isBlank(value[trail - 1]))
            --trail;
        if (lead > 0 || trail < value.size())
            padded.insert(event * 2 + which,
                          {value.left(lead), value.mid(lead, trail - lead), value.mid(trail)});
    }
    return padded;
}

QByteArray withBlanks(const QByteArray &value, const PaddedValue *padded)
{
    if (!padded || value.isEmpty() || unescaped(padded->core) != value)
        return value;
    return padded->lead + value + padded->trail;
}

void forEachCalendarPart(const QByteArray &text, int eventsPerPart,
                         const std::function<void(const QByteArray &part, qsizetype done)> &read)
{
    // Pass 1 gathers the time zones whole, pass 2 the lines of the other
    // components that the import reads.
    static const char *const kept[] = {"DTSTART",    "SUMMARY", "DESCRIPTION",
                                       "CATEGORIES", "RRULE",   "RECURRENCE-ID"};
    QByteArray zones;
    QByteArray part;
    int events = 0;
    const auto flush = [&](qsizetype done) {
        read("BEGIN:VCALENDAR\r\n" + zones + part + "END:VCALENDAR\r\n", done);
        part.clear();
        events = 0;
    };
    for (const bool gatherZones : {true, false}) {
        int depth = 0;
        bool zone = false;   // the component being copied is a VTIMEZONE
        bool copied = false; // the line before was copied (for its folded lines)
        for (qsizetype at = 0; at < text.size();) {
            const Line line = lineAt(text, at);
            at = line.next;
            const bool begins = startsWithName(text, line, "BEGIN");
            const bool ends = startsWithName(text, line, "END");
            if (begins && ++depth == 2)
                zone = componentName(text, line) == "VTIMEZONE";
            bool copy = depth >= 2 && zone == gatherZones;
            if (copy && !zone) {
                if (line.to > line.from && isBlank(text[line.from]))
                    copy = copied;
                else if (depth > 2 || (!begins && !ends))
                    copy = depth == 2 &&
                           std::any_of(std::begin(kept), std::end(kept), [&](const char *name) {
                               return startsWithName(text, line, name);
                           });
            }
            copied = copy;
            if (copy) {
                QByteArray &to = gatherZones ? zones : part;
                to += text.mid(line.from, line.next - line.from);
                if (line.next == line.to)
                    to += "\r\n"; // the last line, without an ending
            }
            if (ends && depth > 0 && --depth == 1 && !gatherZones &&
                componentName(text, line) == "VEVENT" && ++events == eventsPerPart)
                flush(at);
        }
    }
    flush(text.size());
}
