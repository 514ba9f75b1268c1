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

constexpr int TypeMismatch = 13;

// The day of a date-time as a literal; an unset date names no day, so no
// statement is built from it.
QString dayLiteral(const QDateTime &when)
{
    if (!when.isValid())
        throw AppError(TypeMismatch, QStringLiteral("Type mismatch"));
    return DateLiteral(when.date());
}

} // namespace

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

QString updateStatement(const EventRecord &loaded, const EventRecord &edited)
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
           QStringLiteral(" WHERE Dates = ") + dayLiteral(loaded.Dates) + QStringLiteral(" AND ") +
           QStringLiteral(" Description ='") + QuoteSql(loaded.Description) + QStringLiteral("'");
}

QString deleteStatement(const EventRecord &rec)
{
    return QStringLiteral("DELETE FROM Calendar WHERE Description ='") + QuoteSql(rec.Description) +
           QStringLiteral("'") + QStringLiteral(" AND Dates =") + dayLiteral(rec.Dates);
}

QString selectEventStatement(const QDate &day, const QString &description)
{
    return QStringLiteral("SELECT * FROM Calendar WHERE Dates =") + DateLiteral(day) +
           QStringLiteral(" AND") + QStringLiteral(" Description ='") + QuoteSql(description) +
           QStringLiteral("'");
}

bool SaveEvent(const EventRecord &loaded, const EventRecord &edited, Connection &db,
               Prompts &prompts)
{
    try {
        db.Execute(loaded.Description.isEmpty() ? insertStatement(edited)
                                                : updateStatement(loaded, edited));
        return true;
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
    // An event without a day matches no row: nothing to delete, which is no error.
    if (!rec.Dates.isValid())
        return true;
    try {
        db.Execute(deleteStatement(rec));
    } catch (const AppError &e) {
        prompts.MsgBox(e.description(), MsgButtons::OkOnly, MsgIcon::Critical);
        return false;
    }
    return true;
}
