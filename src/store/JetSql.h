#pragma once
// Translates the Jet statement dialect the program and its users write into
// SQLite's: a tokenizer, so that text inside literals is never touched.
// Every function throws DbError for malformed input.

#include <QString>

// A whole statement. Exactly one statement is allowed; a trailing ";" is fine.
QString translateStatement(const QString &jetText);

// A record-set Filter text or Find criteria: an expression, where "%" is a
// wild card beside "*" as record-set filters allow.
QString translateCriteria(const QString &jetText);
