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

// A Jet LIKE pattern as the connection's like() reads it: "%" any run, "_"
// one character, "#" one digit, "[..]" a class ("[!..]" negated, "a-c" a
// range), "\" before a literal character. In record-set criteria "%" is a
// wild card too and "#" and "[" are ordinary characters. Throws DbError
// "Invalid pattern string." for an unclosed class.
QString jetLikePattern(const QString &jet, bool criteria);
