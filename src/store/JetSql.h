// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Translates the Jet statement dialect the program and its users write into
// SQLite's: a tokenizer, so that text inside literals is never touched, and
// a parser that knows each column's kind from the schema, so that dates
// compare as numbers and texts as texts. Every function throws DbError for
// malformed input and for what cannot be made to behave as Jet does.

#include "store/JetSchema.h"

#include <QString>
#include <QStringList>

// A whole statement. Exactly one statement is allowed; a trailing ";" is
// fine. Data definition gives its last step (see translateDefinition).
QString translateStatement(const QString &jetText, const JetSchema &schema = {});

// A record-set Filter text: an expression over the columns
// of tables (of every table when empty), where "%" is a wild card beside
// "*" as record-set filters allow.
QString translateCriteria(const QString &jetText, const JetSchema &schema = {},
                          const QStringList &tables = {});

// True when the statement is data definition (CREATE, ALTER, DROP).
bool isDefinition(const QString &jetText);

// Jet's own data definition as the SQLite statements that make it, to be run
// in order in one transaction: CREATE TABLE with Jet's types, CREATE INDEX,
// DROP TABLE, DROP INDEX, ALTER TABLE ADD and DROP COLUMN. Anything else
// (triggers, views, SQLite's own forms) is refused, so that the file means
// the same to every program and keeps its type checks.
QStringList translateDefinition(const QString &jetText, const JetSchema &schema);

// A Jet LIKE pattern as the connection's like() reads it: "%" any run, "_"
// one character, "#" one digit, "[..]" a class ("[!..]" negated, "a-c" a
// range), "\" before a literal character. A statement's pattern takes "%"
// and "_" as wild cards and refuses "*", "?" and "#" outside brackets; a
// record-set criteria pattern takes "*" and "%" for any run and "?" for one
// character, and "[" there is ordinary. Throws DbError "Invalid pattern
// string." for an unclosed class.
QString jetLikePattern(const QString &jet, bool criteria);
