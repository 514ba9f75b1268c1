// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One event of table Calendar in memory, and the three operations that
// check, store and remove one. Each operation shows its own boxes through
// the Prompts it is given and returns whether it succeeded; the caller
// refreshes its view only on true.

#include <QDate>
#include <QDateTime>
#include <QString>

class Connection;
class Prompts;

// An event is identified by the calendar day of Dates with Description; an
// empty Description stands for an event not yet in the table.
struct EventRecord
{
    QDateTime Dates; // only the calendar day is ever written or compared
    QString icon;    // a type key; empty means no type
    QString Description;
    QString Details; // may be empty
    bool ShowOnce = false;
};

// The longest description and details an event may hold.
inline constexpr int kDescriptionLength = 50;
inline constexpr int kDetailsLength = 4000;

// Details as they are stored: every line break (LF, CR or CR LF) as CR LF.
QString withCrLf(const QString &text);

// True when rec may be stored at the moment now; otherwise shows the one
// reason (the later test wins) and returns false. Changes nothing.
bool ValidateEvent(const EventRecord &rec, Prompts &prompts, const QDateTime &now);

// Inserts edited when loaded.Description is empty, otherwise updates every
// row matching loaded's day and description. Returns false after an
// "Error Saving Event" box when the statement could not be built or run, or
// when an update matched no row.
bool SaveEvent(const EventRecord &loaded, const EventRecord &edited, Connection &db,
               Prompts &prompts);

// Asks "OK to delete ...", then deletes every row matching rec's day and
// description. False when the user did not answer OK (nothing is run),
// after a box with the database's error text, or after a box saying that
// no row matched.
bool DeleteEvent(const EventRecord &rec, Connection &db, Prompts &prompts);

// How a statement finds the event's day. Exact compares Dates with the day
// itself, which matches dates stored without a time; WholeDay matches any
// time of that day and is run only when Exact matched nothing.
enum class DayMatch
{
    Exact,
    WholeDay
};

// The statement texts, exact to the character.
QString insertStatement(const EventRecord &edited);
QString updateStatement(const EventRecord &loaded, const EventRecord &edited,
                        DayMatch match = DayMatch::Exact);
QString deleteStatement(const EventRecord &rec, DayMatch match = DayMatch::Exact);
// The look-up of one event by its day and description.
QString selectEventStatement(const QDate &day, const QString &description,
                             DayMatch match = DayMatch::Exact);
