// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/CalendarImport.h"

#include "editing/EventRecord.h"
#include "editing/EventTypes.h"
#include "platform/AppError.h"

namespace {

// The first length characters of text, never half of a surrogate pair.
QString cutTo(const QString &text, int length)
{
    qsizetype n = length;
    if (text.at(n - 1).isHighSurrogate())
        --n;
    return text.left(n);
}

} // namespace

void addNote(ImportCandidate &c, const QString &note)
{
    if (!c.note.isEmpty())
        c.note += QStringLiteral("; ");
    c.note += note;
}

ImportCandidate calendarCandidate(const QDate &day, const QString &description,
                                  const QString &typeKey, bool yearly, const QString &details)
{
    ImportCandidate c;
    c.plainTexts = true;
    c.dateText = shareDateText(day);
    c.iconText = typeKey;
    c.showOnceText = yearly ? QStringLiteral("False") : QStringLiteral("True");
    c.description = description;
    if (description.size() > kDescriptionLength) {
        c.description = cutTo(description, kDescriptionLength);
        addNote(c, QStringLiteral("description cut to 50 characters"));
    }
    if (!details.isNull()) {
        c.details = withCrLf(details);
        if (c.details.isNull())
            c.details = QStringLiteral(""); // empty details, not none
        if (c.details.size() > kDetailsLength) {
            c.details = cutTo(c.details, kDetailsLength);
            addNote(c, QStringLiteral("details cut to 4,000 characters"));
        }
    }
    checkImportRecord(c);
    return c;
}

QString typeKeyNamed(QStringView text)
{
    const QStringView name = text.trimmed();
    for (const QString &key : typeKeys()) {
        // Folded one unit for one, texts of other lengths never match.
        if (key.size() == name.size() && key.compare(name, Qt::CaseInsensitive) == 0)
            return key;
    }
    return QString();
}

AppError unreadableFile(const QString &kind, const QString &what)
{
    // 13, as the share file's unreadable records.
    return AppError(ErrNo::TypeMismatch, QStringLiteral("This is not a readable ") + kind +
                                             QStringLiteral(" file: ") + what);
}
