// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Splits a Jet statement into tokens, so that the translator never looks
// inside a literal and every character outside one is accounted for. Texts,
// names and dates come out already in SQLite's form. Throws DbError for a
// malformed literal, a parameter, a NUL or a character Jet does not know.

#include <QList>
#include <QString>

enum class JetTok
{
    Word,   // a keyword, column, table or function name as typed
    Name,   // a [bracketed] name, as a double-quoted SQLite name
    Text,   // a text literal as an SQLite literal; raw holds its content
    Date,   // a #date# literal as a quoted ISO text
    Number, // a numeric literal as typed
    Op,     // punctuation and operators: + - * / \ ^ & = <> < > <= >= ( ) , .
    End
};

struct JetToken
{
    JetTok kind = JetTok::End;
    QString lead; // the blanks before the token
    QString text; // the token as SQLite reads it
    QString raw;  // a text literal's content; otherwise the token as typed
    qsizetype pos = 0;

    bool isWord(QLatin1String w) const
    {
        return kind == JetTok::Word && text.compare(w, Qt::CaseInsensitive) == 0;
    }
    bool isOp(QLatin1String op) const { return kind == JetTok::Op && text == op; }
};

// criteria: a record-set Filter text, where a ";" is refused.
QList<JetToken> tokenizeJet(const QString &jetText, bool criteria);
