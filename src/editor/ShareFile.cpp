// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/ShareFile.h"

#include "editor/ExchangeText.h"
#include "platform/AppError.h"
#include "platform/FileIO.h"
#include "platform/Files.h"
#include "store/Connection.h"
#include "store/DateRules.h"
#include "store/Literals.h"
#include "store/RecordSet.h"

#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <cerrno>

namespace {

const QString kCrLf = QStringLiteral("\r\n");
const QString kNull = QStringLiteral("Null");

// The numbers the classic reader gives these faults.
constexpr int kTypeMismatch = 13;
constexpr int kPastEnd = 62;

QDate dayOf(const QVariant &v)
{
    return v.typeId() == QMetaType::QDateTime ? v.toDateTime().date() : v.toDate();
}

} // namespace

QString shareDateText(const QDate &day)
{
    return dayMonthYearText(day, u'/');
}

namespace {

bool holdsLineBreak(const QString &text)
{
    return text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r'));
}

// "dd/mm/yyyy" exactly, a real day.
QDate shareDate(const QString &text)
{
    if (text.size() != 10)
        return {};
    for (int i = 0; i < 10; ++i) {
        const bool slash = i == 2 || i == 5;
        if (slash != (text[i] == QLatin1Char('/')) || (!slash && !text[i].isDigit()) ||
            text[i].unicode() > 0x7F)
            return {};
    }
    const auto number = [&](int from, int digits) {
        int v = 0;
        for (int i = from; i < from + digits; ++i)
            v = v * 10 + (text[i].unicode() - '0');
        return v;
    };
    return QDate(number(6, 4), number(3, 2), number(0, 2));
}

bool isTruthText(const QString &text)
{
    return text.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0 ||
           text.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0;
}

// Walks the lines of a share file, numbering them from 1.
class LineReader
{
public:
    explicit LineReader(QStringList lines) : m_lines(std::move(lines)) {}
    bool atEnd() const { return m_next >= m_lines.size(); }
    // The number of the line read last.
    int lineNumber() const { return int(m_next); }
    const QString &next() { return m_lines[m_next++]; }

private:
    QStringList m_lines;
    qsizetype m_next = 0;
};

AppError endsEarly(int record, int count)
{
    return AppError(kPastEnd, QStringLiteral("The share file ends before record ") +
                                  QString::number(record) + QStringLiteral(" of ") +
                                  QString::number(count) + QLatin1Char('.'));
}

AppError endsInside(int record, int count)
{
    return AppError(kPastEnd, QStringLiteral("The share file ends inside record ") +
                                  QString::number(record) + QStringLiteral(" of ") +
                                  QString::number(count) +
                                  QStringLiteral(", before the empty line that closes it."));
}

AppError badRecord(int record, int line, const QString &what)
{
    return AppError(kTypeMismatch, QStringLiteral("Record ") + QString::number(record) +
                                       QStringLiteral(" of the share file (line ") +
                                       QString::number(line) + QStringLiteral(") ") + what);
}

} // namespace

QString shareFileText(const RecordSet &rs, int *count)
{
    const int dates = rs.requireField(QStringLiteral("Dates"));
    const int icon = rs.requireField(QStringLiteral("icon"));
    const int description = rs.requireField(QStringLiteral("Description"));
    const int showOnce = rs.requireField(QStringLiteral("ShowOnce"));
    const int details = rs.requireField(QStringLiteral("Details"));
    const int rows = rs.RecordCount();
    QString out = kShareHeader + kCrLf + QLatin1Char(' ') + QString::number(rows) + kCrLf;
    out.reserve(out.size() + qsizetype(rows) * 96);
    for (int r = 0; r < rows; ++r) {
        const QVariant date = rs.valueAt(r, dates);
        const QVariant type = rs.valueAt(r, icon);
        const QString text = rs.valueAt(r, description).toString();
        if (date.isNull() || !dayOf(date).isValid())
            throw AppError(kTypeMismatch, QStringLiteral("The event \"") + text +
                                              QStringLiteral("\" has no date: a share file "
                                                             "cannot carry it."));
        if (holdsLineBreak(text) || holdsLineBreak(type.toString()))
            throw AppError(kTypeMismatch,
                           QStringLiteral("The event \"") + text + QStringLiteral("\" of ") +
                               shareDateText(dayOf(date)) +
                               QStringLiteral(" holds a line break in its type or description: "
                                              "a share file cannot carry it."));
        const QVariant more = rs.valueAt(r, details);
        out += QLatin1Char('[') + shareDateText(dayOf(date)) + QLatin1Char(']') + kCrLf;
        out += (type.isNull() ? kNull : type.toString()) + kCrLf;
        out += text + kCrLf;
        out += (rs.valueAt(r, showOnce).toBool() ? QLatin1String("True") : QLatin1String("False")) +
               kCrLf;
        out += (more.isNull() ? kNull : more.toString()) + kCrLf;
        out += kCrLf;
    }
    if (count)
        *count = rows;
    return out;
}

int ExportShareFile(const RecordSet &rs, const QString &path)
{
    int count = 0;
    const QString text = shareFileText(rs, &count);
    writeWholeFile(path, encodeFile(text, TextForm::Undecided));
    return count;
}

namespace {

// Why a record cannot be inserted, as the end of a sentence naming it; ""
// when it can.
QString recordFault(const ImportCandidate &c)
{
    if (!shareDate(c.dateText).isValid())
        return QStringLiteral("has the date \"") + c.dateText +
               QStringLiteral("\", which is not a dd/mm/yyyy date.");
    if (!isTruthText(c.showOnceText))
        return QStringLiteral("has the show-once value \"") + c.showOnceText +
               QStringLiteral("\", which is neither True nor False.");
    return QString();
}

} // namespace

namespace {

// A type or details text that stands for none.
bool isNone(const ImportCandidate &c, const QString &text)
{
    return c.plainTexts ? text.isNull() : text == kNull;
}

} // namespace

QString importListText(const ImportCandidate &c)
{
    QString text = c.dateText + QLatin1Char(' ') + c.description;
    if (!c.note.isEmpty())
        text += QStringLiteral(" (") + c.note + QLatin1Char(')');
    return text;
}

QString importPictureKey(const ImportCandidate &c)
{
    return isNone(c, c.iconText) ? QStringLiteral("unknown") : c.iconText;
}

void checkImportRecord(const ImportCandidate &c)
{
    const QString fault = recordFault(c);
    if (!fault.isEmpty())
        throw AppError(kTypeMismatch, QStringLiteral("The record \"") + c.dateText +
                                          QLatin1Char(' ') + c.description + QStringLiteral("\" ") +
                                          fault);
}

QString importInsertStatement(const ImportCandidate &c)
{
    checkImportRecord(c);
    const QDate day = shareDate(c.dateText);
    return QStringLiteral("INSERT INTO Calendar (Dates, icon, Description, ShowOnce, Details) "
                          "VALUES (#") +
           DateText(day) + QStringLiteral("#, ") +
           (isNone(c, c.iconText) ? kNull
                                  : QLatin1Char('\'') + QuoteSql(c.iconText) + QLatin1Char('\'')) +
           QStringLiteral(", '") + QuoteSql(c.description) + QStringLiteral("', ") +
           c.showOnceText + QStringLiteral(", ") +
           (isNone(c, c.details) ? kNull
                                 : QLatin1Char('\'') + QuoteSql(c.details) + QLatin1Char('\'')) +
           QLatin1Char(')');
}

QString overwriteDeleteStatement(const QString &description)
{
    return QStringLiteral("DELETE FROM Calendar WHERE Description ='") + QuoteSql(description) +
           QLatin1Char('\'');
}

bool parseShareFile(const QString &text, QList<ImportCandidate> *candidates)
{
    LineReader in(textLines(text));
    if (in.atEnd() || in.next() != kShareHeader)
        return false;
    const QString countLine = in.atEnd() ? QString() : in.next();
    bool ok = false;
    const int count = countLine.trimmed().toInt(&ok);
    if (!ok || count < 0)
        throw AppError(kTypeMismatch,
                       QStringLiteral("Line 2 of the share file should hold the number of "
                                      "records, but holds \"") +
                           countLine + QStringLiteral("\"."));
    QList<ImportCandidate> read;
    read.reserve(std::min(count, 1 << 20));
    for (int k = 1; k <= count; ++k) {
        QString dateLine;
        do {
            if (in.atEnd())
                throw endsEarly(k, count);
            dateLine = in.next();
        } while (!dateLine.startsWith(QLatin1Char('[')));
        const int line = in.lineNumber();
        ImportCandidate c;
        c.dateText = dateLine.mid(1, 10);
        QString *fields[] = {&c.iconText, &c.description, &c.showOnceText};
        for (QString *field : fields) {
            if (in.atEnd())
                throw endsInside(k, count);
            *field = in.next();
        }
        for (;;) {
            if (in.atEnd())
                throw endsInside(k, count);
            const QString &part = in.next();
            if (part.isEmpty())
                break;
            if (!c.details.isEmpty())
                c.details += kCrLf;
            c.details += part;
        }
        const QString fault = recordFault(c);
        if (!fault.isEmpty())
            throw badRecord(k, line, fault);
        read.append(std::move(c));
    }
    while (!in.atEnd()) {
        if (in.next().startsWith(QLatin1Char('[')))
            throw AppError(kTypeMismatch,
                           QStringLiteral("The share file holds more records than the ") +
                               QString::number(count) +
                               QStringLiteral(" its line 2 gives: another begins at line ") +
                               QString::number(in.lineNumber()) + QLatin1Char('.'));
    }
    *candidates = std::move(read);
    return true;
}

namespace {

// Whether the file's first line is exactly the header, read from its first
// bytes alone: a large file of another kind is refused without reading it.
// Throws AppError when the file cannot be opened or read.
bool startsWithShareHeader(const QString &path)
{
    // The header and its line end in the widest form, UTF-16 behind a mark.
    const qint64 want = 2 + 2 * (kShareHeader.size() + 1);
    const QByteArray head = readFileHead(path, want);
    const bool whole = head.size() < want;
    const TextForm form = detectTextForm(head);
    QString line;
    if (form == TextForm::Utf16LE || form == TextForm::Utf16BE)
        line = decodeText(head.left(head.size() & ~qsizetype(1)));
    else // ASCII in every 8-bit form: no decoding needed
        line = QString::fromLatin1(form == TextForm::Utf8Bom ? head.mid(3) : head);
    if (!line.startsWith(kShareHeader))
        return false;
    if (line.size() == kShareHeader.size())
        return whole; // the file ends with the header
    const QChar after = line[kShareHeader.size()];
    return after == QLatin1Char('\r') || after == QLatin1Char('\n');
}

} // namespace

bool readShareFile(const QString &path, QList<ImportCandidate> *candidates)
{
    if (!startsWithShareHeader(path))
        return false;
    return parseShareFile(decodeText(readWholeFile(path)), candidates);
}

void markExisting(QList<ImportCandidate> &candidates, const RecordSet &rs)
{
    const int column = rs.fieldIndex(QStringLiteral("Description"));
    QSet<QString> known;
    if (column >= 0) {
        known.reserve(rs.RecordCount());
        for (int r = 0; r < rs.RecordCount(); ++r) {
            const QVariant v = rs.valueAt(r, column);
            if (!v.isNull())
                known.insert(v.toString().toCaseFolded());
        }
    }
    for (ImportCandidate &c : candidates)
        c.exists = !known.isEmpty() && known.contains(c.description.toCaseFolded());
}
