#pragma once
// The error messages of the registry procedures and the registry tool, and
// the way their handlers report a failed step and carry on with the next.

#include "platform/AppError.h"
#include "platform/Prompts.h"
#include "store/DbError.h"

#include <QString>
#include <new>

// "Error in " + procedure + CR LF + "Number : " + number + CR LF +
// "Description : " + description.
inline QString errorInText(const QString &procedure, int number, const QString &description)
{
    return QStringLiteral("Error in ") + procedure + QStringLiteral("\r\nNumber : ") +
           QString::number(number) + QStringLiteral("\r\nDescription : ") + description;
}

// A number as the classic Str() writes it: a space where a positive number's
// sign would be.
inline QString signedNumberText(int number)
{
    return number < 0 ? QString::number(number) : QLatin1Char(' ') + QString::number(number);
}

// The failure being handled, as the run-time error it stands for. Call it
// only inside a catch block.
inline AppError currentAppError()
{
    try {
        throw;
    } catch (const AppError &e) {
        return e;
    } catch (const std::bad_alloc &) {
        return AppError(7, QStringLiteral("Out of memory"));
    } catch (...) {
        return AppError(51, QStringLiteral("Internal error"));
    }
}

// The line that sends the user to the repair command.
inline const QString kRepairHint = QStringLiteral("Select File>DB Repair");

// True for a failure caused by a table or column the database lacks: the
// database's "no such table/column" or a field name the record set lacks.
inline bool isMissingTableOrColumn(const AppError &e)
{
    return e.number() == DbErrNo::NotFound ||
           e.description().startsWith(QLatin1String("no such table")) ||
           e.description().startsWith(QLatin1String("no such column"));
}

// Runs one step of a procedure; a failure is shown in the procedure's words
// (errorInText, OK only, with the repair hint when a table or column is
// missing) and the procedure goes on with its next step.
template <typename F> void runStep(const QString &procedure, Prompts &prompts, F &&statement)
{
    try {
        statement();
    } catch (...) {
        const AppError e = currentAppError();
        QString text = errorInText(procedure, e.number(), e.description());
        if (isMissingTableOrColumn(e))
            text += QStringLiteral("\r\n") + kRepairHint;
        prompts.MsgBox(text, MsgButtons::OkOnly);
    }
}
