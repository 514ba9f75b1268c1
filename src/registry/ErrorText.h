// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The error messages of the registry procedures and the registry tool, and
// the way their handlers report a failed step and carry on with the next.

#include "platform/AppError.h"
#include "platform/ErrorStyles.h"
#include "platform/Prompts.h"
#include "store/DbError.h"

#include <QString>

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

// The line that sends the user to the repair command.
inline const QString kRepairHint = QStringLiteral("Select File>DB Repair");

// True for a failure caused by a table or column the database lacks: the
// database's "no such table", a column that is none (which Jet reads as a
// parameter without a value) or a field name the record set lacks.
inline bool isMissingTableOrColumn(const AppError &e)
{
    return e.number() == DbErrNo::NotFound || e.number() == DbErrNo::NoValue ||
           e.description().startsWith(QLatin1String("no such table"));
}

// Runs one step of a procedure; a failure is shown in the procedure's words
// (errorInText, OK only, with the repair hint when a table or column is
// missing) and the procedure goes on with its next step.
template <typename F> void runStep(const QString &procedure, Prompts &prompts, F &&statement)
{
    showingErrors(std::forward<F>(statement), [&](const AppError &e) {
        QString text = errorInText(procedure, e.number(), e.description());
        if (isMissingTableOrColumn(e))
            text += QStringLiteral("\r\n") + kRepairHint;
        prompts.MsgBox(text, MsgButtons::OkOnly);
    });
}
