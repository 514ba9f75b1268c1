// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/ICalendarLines.h"

#include <cstring>

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
    const char *data = text.constData();
    const auto *newline =
        static_cast<const char *>(std::memchr(data + from, '\n', size_t(text.size() - from)));
    qsizetype end = newline ? newline - data : text.size();
    const qsizetype next = newline ? end + 1 : end;
    if (end > from && data[end - 1] == '\r')
        --end;
    return {from, end, next};
}

// Whether the line is the property or BEGIN/END line of name (upper-case
// letters, digits and '-'), in any case.
bool startsWithName(const QByteArray &text, const Line &line, const char *name)
{
    const char *at = text.constData() + line.from;
    const auto n = qsizetype(std::strlen(name));
    if (line.to - line.from <= n || (at[n] != ':' && at[n] != ';'))
        return false;
    if (std::memcmp(at, name, size_t(n)) == 0) // as most programs write it
        return true;
    for (qsizetype i = 0; i < n; ++i) {
        char c = at[i];
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
        if (c != name[i])
            return false;
    }
    return true;
}

// A content line's value after its name and parameters (a colon inside
// quotes being part of a parameter); null when it has no colon.
QByteArrayView valueOf(QByteArrayView logical)
{
    bool quoted = false;
    for (qsizetype i = 0; i < logical.size(); ++i) {
        if (logical[i] == '"')
            quoted = !quoted;
        else if (logical[i] == ':' && !quoted)
            return logical.sliced(i + 1);
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

QByteArray withBlanks(const QByteArray &value, const PaddedValue *padded)
{
    if (!padded || value.isEmpty() || unescaped(padded->core) != value)
        return value;
    return padded->lead + value + padded->trail;
}

namespace {

// One walk over the lines of a calendar, each line looked at by its first
// character before any name is compared: most lines of a large file are
// properties the import never reads.
class PartWalk
{
public:
    PartWalk(const QByteArray &text, EventNotes &notes) : m_text(text), m_notes(notes) {}

    // The lines of every VTIMEZONE, whole.
    QByteArray zones()
    {
        QByteArray out;
        int depth = 0;
        bool zone = false;
        for (qsizetype at = 0; at < m_text.size();) {
            const Line line = lineAt(m_text, at);
            at = line.next;
            const Kind kind = kindOf(line, false);
            if (kind == Kind::Begin && ++depth == 2)
                zone = componentIs(line, "VTIMEZONE");
            if (depth >= 2 && zone)
                append(out, line);
            if (kind == Kind::End && depth > 0)
                --depth;
        }
        return out;
    }

    // The lines of the other components that the import reads, in parts
    // of eventsPerPart events; the padded texts are gathered on the way.
    void parts(int eventsPerPart, const QByteArray &head,
               const std::function<void(const QByteArray &part, qsizetype done)> &read)
    {
        QByteArray part = head;
        const auto flush = [&](qsizetype done) {
            part += "END:VCALENDAR\r\n";
            read(part, done);
            part.resize(head.size());
        };
        int depth = 0;
        int events = 0;
        bool zone = false;
        bool event = false;  // the component at depth 2 is a VEVENT
        bool copied = false; // the line before was copied (for its folded lines)
        bool seen[3] = {false, false, false};
        qsizetype number = 0;
        for (qsizetype at = 0; at < m_text.size();) {
            const Line line = lineAt(m_text, at);
            at = line.next;
            const Kind kind = kindOf(line, depth == 2 && !zone);
            if (kind == Kind::Begin && ++depth == 2) {
                zone = componentIs(line, "VTIMEZONE");
                event = componentIs(line, "VEVENT");
                if (event) {
                    ++number;
                    seen[0] = seen[1] = seen[2] = false;
                }
            }
            bool copy = depth >= 2 && !zone;
            if (copy) {
                if (kind == Kind::Folded)
                    copy = copied;
                else if (depth > 2 || (kind != Kind::Begin && kind != Kind::End))
                    copy = depth == 2 && kind == Kind::Read;
            }
            if (copy && event && kind == Kind::Read)
                copy = noteEventLine(line, number, seen);
            copied = copy;
            if (copy)
                append(part, line);
            if (kind == Kind::End && depth > 0 && --depth == 1 && componentIs(line, "VEVENT") &&
                ++events == eventsPerPart) {
                flush(at);
                events = 0;
            }
        }
        flush(m_text.size());
    }

private:
    enum class Kind
    {
        Begin,
        End,
        Folded,
        Read,
        Other
    };

    // A line's kind; Read only where wanted (a property of a component
    // whose lines are copied), the names compared only there.
    Kind kindOf(const Line &line, bool wanted) const
    {
        if (line.to == line.from)
            return Kind::Other;
        const auto named = [&](const char *name) { return startsWithName(m_text, line, name); };
        bool read = false;
        const char first = m_text[line.from];
        switch (first) {
        case ' ':
        case '\t':
            return Kind::Folded;
        case 'B':
        case 'b':
            return named("BEGIN") ? Kind::Begin : Kind::Other;
        case 'E':
        case 'e':
            return named("END") ? Kind::End : Kind::Other;
        default:
            if (!wanted)
                return Kind::Other;
        }
        switch (first) {
        case 'C':
        case 'c':
            read = named("CATEGORIES");
            break;
        case 'D':
        case 'd':
            read = named("DTSTART") || named("DESCRIPTION");
            break;
        case 'R':
        case 'r':
            read = named("RRULE") || named("RECURRENCE-ID");
            break;
        case 'S':
        case 's':
            read = named("SUMMARY");
            break;
        default:
            break;
        }
        return read ? Kind::Read : Kind::Other;
    }

    // Whether a BEGIN: or END: line names the component, in any case and
    // with blanks around the name.
    bool componentIs(const Line &line, const char *name) const
    {
        const QByteArrayView whole(m_text.constData() + line.from, line.to - line.from);
        const qsizetype colon = whole.indexOf(':');
        if (colon < 0)
            return false;
        const QByteArrayView value = whole.sliced(colon + 1).trimmed();
        return value.size() == qsizetype(qstrlen(name)) &&
               qstrnicmp(value.data(), name, size_t(value.size())) == 0;
    }

    void append(QByteArray &to, const Line &line) const
    {
        to.append(m_text.constData() + line.from, line.next - line.from);
        if (line.next == line.to)
            to += "\r\n"; // the last line, without an ending
    }

    bool noteEventLine(const Line &line, qsizetype number, bool (&seen)[3]);
    void notePadding(const Line &line, qsizetype number, int which);

    const QByteArray &m_text;
    EventNotes &m_notes;
};

// Notes what an event's line says beside libical; false when the line is
// left out of the part for it.
bool PartWalk::noteEventLine(const Line &line, qsizetype number, bool (&seen)[3])
{
    const int which = startsWithName(m_text, line, "SUMMARY")       ? 0
                      : startsWithName(m_text, line, "DESCRIPTION") ? 1
                      : startsWithName(m_text, line, "RRULE")       ? 2
                                                                    : -1;
    if (which < 0 || seen[which])
        return true;
    seen[which] = true;
    if (which < 2) {
        notePadding(line, number, which);
        return true;
    }
    // Most events repeat by this rule alone, and libical spends more on a
    // rule than on any other line. Only the first rule counts, so a later
    // one changes nothing, and a folded one is left to libical.
    static constexpr QByteArrayView plain("RRULE:FREQ=YEARLY");
    const bool folded = line.next < m_text.size() && isBlank(m_text[line.next]);
    if (folded || QByteArrayView(m_text.constData() + line.from, line.to - line.from) != plain)
        return true;
    m_notes.plainYearly.insert(number);
    return false;
}

// The first SUMMARY (which 0) or DESCRIPTION (1) of an event, when its
// value begins or ends with a blank or a tab.
void PartWalk::notePadding(const Line &line, qsizetype number, int which)
{
    const QByteArrayView first(m_text.constData() + line.from, line.to - line.from);
    QByteArray unfolded; // only for a folded line
    for (qsizetype at = line.next; at < m_text.size() && isBlank(m_text[at]);) {
        if (unfolded.isNull())
            unfolded = first.toByteArray();
        const Line more = lineAt(m_text, at); // folded: the break and one blank go
        unfolded += QByteArrayView(m_text.constData() + more.from + 1, more.to - more.from - 1);
        at = more.next;
    }
    const QByteArrayView value = valueOf(unfolded.isNull() ? first : QByteArrayView(unfolded));
    qsizetype lead = 0;
    while (lead < value.size() && isBlank(value[lead]))
        ++lead;
    qsizetype trail = value.size();
    while (trail > lead && isBlank(value[trail - 1]))
        --trail;
    if (lead > 0 || trail < value.size())
        m_notes.padded.insert(number * 2 + which, {value.first(lead).toByteArray(),
                                                   value.sliced(lead, trail - lead).toByteArray(),
                                                   value.sliced(trail).toByteArray()});
}

} // namespace

void forEachCalendarPart(const QByteArray &text, int eventsPerPart, EventNotes &notes,
                         const std::function<void(const QByteArray &part, qsizetype done)> &read)
{
    PartWalk walk(text, notes);
    // The time zones first and whole, for the parts before them too. Each
    // part is written into one buffer behind them, kept from part to part.
    const QByteArray head = "BEGIN:VCALENDAR\r\n" + walk.zones();
    walk.parts(eventsPerPart, head, read);
}
