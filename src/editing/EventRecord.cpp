// SPDX-License-Identifier: GPL-3.0-or-later
#include "editing/EventRecord.h"

#include "platform/AppError.h"
#include "platform/Prompts.h"
#include "store/Connection.h"
#include "store/Literals.h"

namespace {

QString truthWord(bool value)
{
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

// The day of a date-time as a literal; an unset date names no day, so no
// statement is built from it.
QString dayLiteral(const QDateTime &when)
{
    if (!when.isValid())
        throw classicError(ErrNo::TypeMismatch);
    return DateLiteral(when.date());
}

// The condition that matches a stored date of the day whatever its time:
// used only when the plain day comparison matched nothing, so that the
// usual statements stay as they are for dates stored without a time.
QString wholeDay(const QDateTime &when)
{
    return QStringLiteral("Dates >= ") + dayLiteral(when) + QStringLiteral(" AND Dates < ") +
           dayLiteral(when.addDays(1));
}

QString notFound(const QString &description, const QString &what)
{
    return QStringLiteral("The event ") + description +
           QStringLiteral(" was not found in the table: nothing was ") + what + QLatin1Char('.');
}

} // namespace

QString withCrLf(const QString &text)
{
    // Most texts hold no line break at all: those are as they should be.
    if (!text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r')))
        return text;
    QString lines = text;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"))
        .replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return lines.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
}

bool ValidateEvent(const EventRecord &rec, Prompts &prompts, const QDateTime &now)
{
    QString reason;
    if (rec.Description.isEmpty())
        reason = QStringLiteral("Description not complete\r\n");
    // The later reason replaces the earlier one; a show-once day of today passes.
    if (rec.ShowOnce && rec.Dates.date() < now.date())
        reason = QStringLiteral("Date for show once option needs to be in the future\r\n");
    if (reason.isEmpty())
        return true;
    prompts.MsgBox(reason + QStringLiteral("The event is invalid"), MsgButtons::OkOnly,
                   MsgIcon::Critical);
    return false;
}

QString insertStatement(const EventRecord &edited)
{
    // Type keys hold no apostrophe, but a damaged or imported one must not
    // break the statement, so it is doubled like any text.
    return QStringLiteral(
               "INSERT INTO Calendar (Dates,icon,Description,Details,ShowOnce) VALUES ") +
           QStringLiteral("(") + dayLiteral(edited.Dates) + QStringLiteral(", ") +
           (edited.icon.isEmpty()
                ? QStringLiteral("Null, ")
                : QStringLiteral("'") + QuoteSql(edited.icon) + QStringLiteral("', ")) +
           QStringLiteral("'") + QuoteSql(edited.Description) + QStringLiteral("', ") +
           (edited.Details.isEmpty()
                ? QStringLiteral("Null, ")
                : QStringLiteral("'") + QuoteSql(edited.Details) + QStringLiteral("', ")) +
           truthWord(edited.ShowOnce) + QStringLiteral(")");
}

QString updateStatement(const EventRecord &loaded, const EventRecord &edited, DayMatch match)
{
    return QStringLiteral("UPDATE Calendar SET  Dates = ") + dayLiteral(edited.Dates) +
           QStringLiteral(",") + QStringLiteral(" Description ='") + QuoteSql(edited.Description) +
           QStringLiteral("',") +
           (edited.icon.isEmpty()
                ? QStringLiteral(" icon = NULL, ")
                : QStringLiteral(" icon = '") + QuoteSql(edited.icon) + QStringLiteral("',")) +
           (edited.Details.isEmpty() ? QStringLiteral(" Details = NULL, ")
                                     : QStringLiteral(" Details = '") + QuoteSql(edited.Details) +
                                           QStringLiteral("',")) +
           QStringLiteral(" ShowOnce = ") + truthWord(edited.ShowOnce) +
           (match == DayMatch::Exact ? QStringLiteral(" WHERE Dates = ") + dayLiteral(loaded.Dates)
                                     : QStringLiteral(" WHERE ") + wholeDay(loaded.Dates)) +
           QStringLiteral(" AND ") + QStringLiteral(" Description ='") +
           QuoteSql(loaded.Description) + QStringLiteral("'");
}

QString deleteStatement(const EventRecord &rec, DayMatch match)
{
    return QStringLiteral("DELETE FROM Calendar WHERE Description ='") + QuoteSql(rec.Description) +
           QStringLiteral("'") +
           (match == DayMatch::Exact ? QStringLiteral(" AND Dates =") + dayLiteral(rec.Dates)
                                     : QStringLiteral(" AND ") + wholeDay(rec.Dates));
}

QString selectEventStatement(const QDate &day, const QString &description, DayMatch match)
{
    return QStringLiteral("SELECT * FROM Calendar WHERE ") +
           (match == DayMatch::Exact ? QStringLiteral("Dates =") + DateLiteral(day)
                                     : wholeDay(day.startOfDay())) +
           QStringLiteral(" AND") + QStringLiteral(" Description ='") + QuoteSql(description) +
           QStringLiteral("'");
}

bool SaveEvent(const EventRecord &loaded, const EventRecord &edited, Connection &db,
               Prompts &prompts)
{
    try {
        if (loaded.Description.isEmpty()) {
            db.Execute(insertStatement(edited));
            return true;
        }
        if (db.Execute(updateStatement(loaded, edited, DayMatch::Exact)) > 0 ||
            db.Execute(updateStatement(loaded, edited, DayMatch::WholeDay)) > 0)
            return true;
        prompts.MsgBox(notFound(loaded.Description, QStringLiteral("saved")), MsgButtons::OkOnly,
                       MsgIcon::Critical, QStringLiteral("Error Saving Event"));
        return false;
    } catch (const AppError &e) {
        prompts.MsgBox(e.description(), MsgButtons::OkOnly, MsgIcon::Critical,
                       QStringLiteral("Error Saving Event"));
        return false;
    }
}

bool DeleteEvent(const EventRecord &rec, Connection &db, Prompts &prompts)
{
    const MsgResult answer =
        prompts.MsgBox(QStringLiteral("OK to delete ") + rec.Description + QStringLiteral(" ?"),
                       MsgButtons::OkCancel, MsgIcon::Question, QStringLiteral("Delete"));
    if (answer != MsgResult::Ok)
        return false;
    try {
        if (db.Execute(deleteStatement(rec, DayMatch::Exact)) > 0 ||
            db.Execute(deleteStatement(rec, DayMatch::WholeDay)) > 0)
            return true;
    } catch (const AppError &e) {
        prompts.MsgBox(e.description(), MsgButtons::OkOnly, MsgIcon::Critical);
        return false;
    }
    prompts.MsgBox(notFound(rec.Description, QStringLiteral("deleted")), MsgButtons::OkOnly,
                   MsgIcon::Exclamation);
    return false;
}
