// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the calendar and address book harnesses demand of a reader: it
// returns or refuses with AppError, and whatever it returns could be
// inserted as it is (a real date of the years 100 to 9999, a description
// of at most 50 and details of at most 4,000 characters, a type that is
// one of the nine or none, a yearly or one-off flag). Anything else is a
// finding.

#include "editing/EventTypes.h"
#include "editor/ShareFile.h"
#include "platform/AppError.h"

#include <QDate>
#include <cstdio>
#include <cstdlib>
#include <exception>

inline void failWith(const char *what, const QString &detail)
{
    std::fprintf(stderr, "%s: %s\n", what, qPrintable(detail));
    std::abort();
}

inline void checkCandidates(const ImportRead &read)
{
    for (const ImportCandidate &c : read.candidates) {
        const QDate day = QDate::fromString(c.dateText, QStringLiteral("dd/MM/yyyy"));
        if (!day.isValid() || day.year() < 100 || day.year() > 9999)
            failWith("a candidate's date is no real day", c.dateText);
        if (c.description.isEmpty() || c.description.size() > 50)
            failWith("a candidate's description is empty or too long", c.description);
        if (!c.details.isNull() && c.details.size() > 4000)
            failWith("a candidate's details are too long", c.details.left(80));
        if (!c.plainTexts || (!c.iconText.isNull() && !IconInList(c.iconText)))
            failWith("a candidate's type is not one of the nine", c.iconText);
        if (c.showOnceText != QLatin1String("True") && c.showOnceText != QLatin1String("False"))
            failWith("a candidate's show-once text", c.showOnceText);
        try {
            importInsertStatement(c);
        } catch (const AppError &e) {
            failWith("a candidate the insert refuses", e.description());
        }
    }
}

// Runs read, which must return or throw AppError; what it returns is checked.
template<typename Read>
void mustReadOrRefuse(Read read)
{
    try {
        checkCandidates(read());
    } catch (const AppError &) {
        // A refusal with a message is a proper answer.
    } catch (const std::exception &e) {
        failWith("threw something not an AppError", QString::fromLocal8Bit(e.what()));
    } catch (...) {
        failWith("threw something not an AppError", QString());
    }
}
