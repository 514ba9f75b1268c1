// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/VCardFile.h"

#include "editor/CalendarImport.h"
#include "editor/CalendarText.h"
#include "editor/ExchangeText.h"
#include "platform/AppError.h"
#include "platform/FileIO.h"
#include "platform/Windows1252.h"
#include "store/DateRules.h"

#include <QRegularExpression>
#include <QStringDecoder>

namespace {

const QString kKind = QStringLiteral("vCard");

// Where address books write a wedding anniversary, the standard's first;
// Apple and Gmail write an X-ABDATE labelled as one instead.
const QStringList &anniversaryNames()
{
    static const QStringList names = {QStringLiteral("ANNIVERSARY"),
                                      QStringLiteral("X-ANNIVERSARY"),
                                      QStringLiteral("X-MS-ANNIVERSARY"),
                                      QStringLiteral("X-EVOLUTION-ANNIVERSARY"),
                                      QStringLiteral("X-KADDRESSBOOK-X-ANNIVERSARY"),
                                      QStringLiteral("X-WAB-WEDDING-ANNIVERSARY")};
    return names;
}

AppError atLine(int line, const QString &what)
{
    return unreadableFile(kKind, QStringLiteral("line ") + QString::number(line) +
                                     QLatin1Char(' ') + what);
}

// Physical lines, CR LF or LF ended, with where each begins.
struct RawLine
{
    QByteArray bytes;
    int number = 0;
};

QList<RawLine> physicalLines(const QByteArray &bytes)
{
    QList<RawLine> lines;
    qsizetype from = 0;
    int number = 0;
    while (from < bytes.size()) {
        qsizetype end = bytes.indexOf('\n', from);
        if (end < 0)
            end = bytes.size();
        QByteArray line = bytes.mid(from, end - from);
        if (line.endsWith('\r'))
            line.chop(1);
        lines.append({line, ++number});
        from = end + 1;
    }
    return lines;
}

// The offset of the colon ending a content line's name and parameters,
// outside double quotes; -1 when there is none.
qsizetype nameEnd(const QByteArray &line)
{
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (line[i] == '"')
            quoted = !quoted;
        else if (line[i] == ':' && !quoted)
            return i;
    }
    return -1;
}

// Splits at sep outside double quotes.
QList<QByteArray> splitOutsideQuotes(const QByteArray &text, char sep)
{
    QList<QByteArray> parts;
    bool quoted = false;
    qsizetype from = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == '"') {
            quoted = !quoted;
        } else if (text[i] == sep && !quoted) {
            parts.append(text.mid(from, i - from));
            from = i + 1;
        }
    }
    parts.append(text.mid(from));
    return parts;
}

bool isQuotedPrintable(const QByteArray &head)
{
    return head.toUpper().contains("QUOTED-PRINTABLE");
}

// Joins continuation lines: a line beginning with a blank continues the
// one before (the break and that blank go), and a quoted-printable value
// ending in "=" continues on the next line.
QList<RawLine> logicalLines(const QList<RawLine> &physical)
{
    QList<RawLine> lines;
    for (qsizetype i = 0; i < physical.size(); ++i) {
        const RawLine &p = physical[i];
        const bool continues = !p.bytes.isEmpty() && (p.bytes[0] == ' ' || p.bytes[0] == '\t');
        if (continues && !lines.isEmpty()) {
            lines.last().bytes += p.bytes.mid(1);
            continue;
        }
        lines.append(p);
        RawLine &line = lines.last();
        const qsizetype colon = nameEnd(line.bytes);
        if (colon < 0 || !isQuotedPrintable(line.bytes.left(colon)))
            continue;
        while (line.bytes.endsWith('=') && i + 1 < physical.size()) {
            line.bytes.chop(1);
            line.bytes += physical[++i].bytes;
        }
    }
    return lines;
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

QByteArray fromQuotedPrintable(const QByteArray &value, int line)
{
    QByteArray out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] != '=') {
            out += value[i];
            continue;
        }
        const int high = i + 2 < value.size() ? hexDigit(value[i + 1]) : -1;
        const int low = high >= 0 ? hexDigit(value[i + 2]) : -1;
        if (low < 0)
            throw atLine(line, QStringLiteral("holds broken quoted-printable text."));
        out += char(high * 16 + low);
        i += 2;
    }
    return out;
}

// Undeclared 8-bit text is UTF-8 when it reads as UTF-8, else Windows'
// Western code page, as in the share file.
QString undeclaredText(const QByteArray &bytes)
{
    return invalidUtf8Line(bytes) ? fromWindows1252(bytes) : QString::fromUtf8(bytes);
}

QString decodeValue(const QByteArray &bytes, const QString &charset, int line)
{
    const QString name = charset.toUpper();
    if (name.isEmpty())
        return undeclaredText(bytes);
    if (name == QLatin1String("UTF-8")) {
        if (invalidUtf8Line(bytes))
            throw atLine(line, QStringLiteral("is not UTF-8 text."));
        return QString::fromUtf8(bytes);
    }
    if (name == QLatin1String("US-ASCII") || name == QLatin1String("ISO-8859-1"))
        return QString::fromLatin1(bytes);
    if (name == QLatin1String("WINDOWS-1252") || name == QLatin1String("CP1252"))
        return fromWindows1252(bytes);
    // Any other the system knows (Shift_JIS, Windows-1253 ...).
    QStringDecoder decoder(charset.toLatin1().constData(), QStringDecoder::Flag::Stateless);
    if (!decoder.isValid())
        throw atLine(line, QStringLiteral("names the character set \"") + charset +
                               QStringLiteral("\", which cannot be read."));
    const QString text = decoder(bytes);
    if (decoder.hasError())
        throw atLine(line, QStringLiteral("is not ") + charset + QStringLiteral(" text."));
    return text;
}

// The properties whose values the import reads; the others are not
// decoded, so that a detail in a character set or an encoding we cannot
// read (a LABEL in Windows-1253, a NOTE in Shift_JIS) costs nothing.
bool isRead(const QString &name)
{
    static const QStringList read = {QStringLiteral("BEGIN"), QStringLiteral("END"),
                                     QStringLiteral("FN"),    QStringLiteral("N"),
                                     QStringLiteral("BDAY"),  QStringLiteral("X-ABLABEL")};
    return read.contains(name) || anniversaryNames().contains(name) ||
           name == QLatin1String("X-ABDATE");
}

VCardProperty parseProperty(const RawLine &line)
{
    const qsizetype colon = nameEnd(line.bytes);
    if (colon < 0)
        throw atLine(line.number, QStringLiteral("is no vCard property (it has no colon)."));
    const QList<QByteArray> parts = splitOutsideQuotes(line.bytes.left(colon), ';');
    VCardProperty p;
    p.line = line.number;
    p.name = undeclaredText(parts[0]).toUpper();
    const qsizetype dot = p.name.lastIndexOf(QLatin1Char('.'));
    p.group = p.name.left(qMax<qsizetype>(dot, 0));
    p.name = p.name.mid(dot + 1);
    for (qsizetype k = 1; k < parts.size(); ++k) {
        const QString part = undeclaredText(parts[k]);
        const qsizetype eq = part.indexOf(QLatin1Char('='));
        QString value = eq < 0 ? part : part.mid(eq + 1);
        if (value.size() >= 2 && value.startsWith(QLatin1Char('"')) &&
            value.endsWith(QLatin1Char('"')))
            value = value.mid(1, value.size() - 2);
        p.parameters.append({eq < 0 ? QString() : part.left(eq).trimmed().toUpper(), value});
    }
    if (!isRead(p.name))
        return p;
    QByteArray value = line.bytes.mid(colon + 1);
    const QString encoding = p.parameter(QStringLiteral("ENCODING")).toUpper();
    bool bareQuoted = false;
    for (const auto &[name, v] : p.parameters)
        bareQuoted =
            bareQuoted || (name.isEmpty() && v.toUpper() == QLatin1String("QUOTED-PRINTABLE"));
    if (encoding == QLatin1String("QUOTED-PRINTABLE") || bareQuoted)
        value = fromQuotedPrintable(value, line.number);
    else if (encoding == QLatin1String("B") || encoding == QLatin1String("BASE64"))
        return p; // pictures and sounds: not read
    p.value = decodeValue(value, p.parameter(QStringLiteral("CHARSET")), line.number);
    return p;
}

bool isLine(const VCardProperty &p, const char *name, const char *value)
{
    return p.name == QLatin1String(name) &&
           p.value.trimmed().compare(QLatin1String(value), Qt::CaseInsensitive) == 0;
}

} // namespace

QString VCardProperty::parameter(const QString &wanted) const
{
    for (const auto &[name, value] : parameters) {
        if (name == wanted)
            return value;
    }
    return QString();
}

const VCardProperty *VCard::first(const QString &name) const
{
    for (const VCardProperty &p : properties) {
        if (p.name == name)
            return &p;
    }
    return nullptr;
}

QList<VCard> readVCards(const QByteArray &file)
{
    // The first line is checked before the lines are split, so that a large
    // file of another kind is refused at once.
    const QByteArray bytes = calendarFileText(file, kKind, "BEGIN:VCARD");
    const QList<RawLine> lines = logicalLines(physicalLines(bytes));
    QList<VCard> cards;
    int depth = 0;
    for (const RawLine &line : lines) {
        if (line.bytes.trimmed().isEmpty())
            continue;
        const VCardProperty p = parseProperty(line);
        if (isLine(p, "BEGIN", "VCARD")) {
            if (depth++ == 0)
                cards.append(VCard{{}, line.number});
            continue;
        }
        if (depth == 0)
            throw atLine(line.number, QStringLiteral("lies outside any card."));
        if (isLine(p, "END", "VCARD")) {
            --depth;
            continue;
        }
        if (depth == 1) // a card inside a card (2.1's AGENT) is not a contact of its own
            cards.last().properties.append(p);
    }
    if (depth > 0)
        throw unreadableFile(kKind, QStringLiteral("it ends inside the card that begins at line ") +
                                        QString::number(cards.last().line) +
                                        QStringLiteral("; the file is incomplete."));
    if (cards.isEmpty())
        throw unreadableFile(kKind, QStringLiteral("it does not begin with BEGIN:VCARD."));
    return cards;
}

QString unescapeVCardText(const QString &value)
{
    QString out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] == QLatin1Char('\\') && i + 1 < value.size()) {
            const QChar next = value[++i];
            out += (next == QLatin1Char('n') || next == QLatin1Char('N')) ? QChar(u'\n') : next;
        } else {
            out += value[i];
        }
    }
    return out;
}

QStringList vcardComponents(const QString &value)
{
    QStringList parts;
    qsizetype from = 0;
    for (qsizetype i = 0; i <= value.size(); ++i) {
        if (i < value.size() && value[i] == QLatin1Char('\\')) {
            ++i;
            continue;
        }
        if (i == value.size() || value[i] == QLatin1Char(';')) {
            parts << unescapeVCardText(value.mid(from, i - from));
            from = i + 1;
        }
    }
    return parts;
}

QDate vcardDay(const QString &value)
{
    static const QRegularExpression forms(QStringLiteral(
        "^(?:([0-9]{4})-?([0-9]{2})-?([0-9]{2})(?:T[0-9:.,]*(?:Z|[+-][0-9]{2}:?[0-9]{2})?)?|"
        "--([0-9]{2})-?([0-9]{2}))$"));
    const QRegularExpressionMatch m = forms.match(value.trimmed());
    if (!m.hasMatch())
        return {};
    // yyyymm-dd and yyyy-mmdd mix the two forms: not a date.
    const QString date = m.captured(0).section(QLatin1Char('T'), 0, 0);
    if (m.capturedLength(1) > 0) {
        if (date.count(QLatin1Char('-')) == 1)
            return {};
        const int year = m.captured(1).toInt();
        if (year < 100)
            return {};
        return QDate(year, m.captured(2).toInt(), m.captured(3).toInt());
    }
    return QDate(kNoYear, m.captured(4).toInt(), m.captured(5).toInt());
}

namespace {

QString contactName(const VCard &card)
{
    if (const VCardProperty *fn = card.first(QStringLiteral("FN"))) {
        const QString name = unescapeVCardText(fn->value).simplified();
        if (!name.isEmpty())
            return name;
    }
    const VCardProperty *n = card.first(QStringLiteral("N"));
    if (!n)
        return QString();
    // Family; Given; Additional; Prefix; Suffix, said in the order people read them.
    const QStringList parts = vcardComponents(n->value);
    QStringList words;
    for (const int k : {3, 1, 2, 0, 4}) {
        const QString part = parts.value(k).simplified();
        if (!part.isEmpty())
            words << part;
    }
    return words.join(QLatin1Char(' '));
}

// A date property's day. None when it holds text or a reduced date (a
// year, a month, a day alone: RFC 6350 allows them), which *reduced then
// says. Throws for a value that should be a date and is not.
QDate propertyDay(const VCardProperty *p, const QString &name, bool *reduced)
{
    if (!p || p->value.trimmed().isEmpty() ||
        p->parameter(QStringLiteral("VALUE")).compare(QLatin1String("text"), Qt::CaseInsensitive) ==
            0)
        return {};
    const QDate day = vcardDay(p->value);
    if (day.isValid())
        return day;
    if (isReducedVCardDate(p->value)) {
        *reduced = true;
        return {};
    }
    throw atLine(p->line, QStringLiteral("gives the ") + p->name + QStringLiteral(" \"") +
                              p->value.trimmed() + QStringLiteral("\" of ") + name +
                              QStringLiteral(", which is not a real date."));
}

bool isAnniversaryLabel(const VCard &card, const QString &group)
{
    for (const VCardProperty &p : card.properties) {
        if (p.name == QLatin1String("X-ABLABEL") && p.group == group && !group.isEmpty()) {
            const QString label = unescapeVCardText(p.value).trimmed();
            return label == QLatin1String("_$!<Anniversary>!$_") ||
                   label.compare(QLatin1String("Anniversary"), Qt::CaseInsensitive) == 0;
        }
    }
    return false;
}

// The wedding anniversary: the first of the card's anniversary properties
// that holds a full date.
QDate anniversaryDay(const VCard &card, const QString &name, bool *reduced)
{
    for (const QString &wanted : anniversaryNames()) {
        for (const VCardProperty &p : card.properties) {
            if (p.name != wanted)
                continue;
            const QDate day = propertyDay(&p, name, reduced);
            if (day.isValid())
                return day;
        }
    }
    for (const VCardProperty &p : card.properties) {
        if (p.name == QLatin1String("X-ABDATE") && isAnniversaryLabel(card, p.group)) {
            const QDate day = propertyDay(&p, name, reduced);
            if (day.isValid())
                return day;
        }
    }
    return {};
}

} // namespace

bool isReducedVCardDate(const QString &value)
{
    static const QRegularExpression forms(
        QStringLiteral("^(?:[0-9]{4}(?:-[0-9]{2})?|--[0-9]{2}|---[0-9]{2})$"));
    return forms.match(value.trimmed()).hasMatch();
}

ImportRead parseVCardFile(const QByteArray &bytes, const ReadProgress &progress)
{
    ImportRead read;
    int noDate = 0;
    int noName = 0;
    int noFullDate = 0;
    const QList<VCard> cards = readVCards(bytes);
    for (qsizetype k = 0; k < cards.size(); ++k) {
        if (progress && k % 100 == 0 && !progress(k, cards.size()))
            return ImportRead{{}, {}, true};
        const VCard &card = cards[k];
        const QString name = contactName(card);
        const QString shown =
            name.isEmpty()
                ? QString(QStringLiteral("the contact at line ") + QString::number(card.line))
                : QString(QLatin1Char('"') + name + QLatin1Char('"'));
        bool reduced = false;
        const QDate birthday = propertyDay(card.first(QStringLiteral("BDAY")), shown, &reduced);
        const QDate married = anniversaryDay(card, shown, &reduced);
        if (!birthday.isValid() && !married.isValid()) {
            ++(reduced ? noFullDate : noDate);
            continue;
        }
        if (name.isEmpty()) {
            ++noName;
            continue;
        }
        if (reduced)
            ++noFullDate; // one of its dates is left out
        if (birthday.isValid())
            read.candidates.append(calendarCandidate(birthday, name + QStringLiteral("'s birthday"),
                                                     QStringLiteral("birthday"), true, QString()));
        if (married.isValid())
            read.candidates.append(
                calendarCandidate(married, name + QStringLiteral("'s anniversary"),
                                  QStringLiteral("anniversary"), true, QString()));
    }
    if (noDate > 0)
        read.skipped << QString::number(noDate) + QStringLiteral(" contacts had no date");
    if (noFullDate > 0)
        read.skipped << QString::number(noFullDate) + QStringLiteral(" contacts had no full date");
    if (noName > 0)
        read.skipped << QString::number(noName) + QStringLiteral(" contacts had no name");
    return read;
}

ImportRead readVCardFile(const QString &path, const ReadProgress &progress)
{
    return parseVCardFile(readWholeFile(path), progress);
}
