// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The kinds of the file's columns, as their declared types give them, so
// that the translator can choose each operator and comparison by what its
// operands are: a text that looks like a date is still a text.

#include <QHash>
#include <QString>
#include <QStringList>

struct sqlite3;

// What the translator knows of a value before it runs.
enum class JetKind
{
    Unknown, // another program's untyped column, a parameterless mix
    Null,
    Number,
    Bool, // a yes/no column or a comparison: a number to every operator
    Text,
    Date
};

class JetSchema
{
public:
    // Every table's columns (views too); throws DbError when the schema
    // cannot be read.
    static JetSchema read(sqlite3 *db);

    void addColumn(const QString &table, const QString &column, JetKind kind);
    bool hasTable(const QString &table) const;
    // The column's kind in the first of tables that has it (in every table
    // when tables is empty, where differing kinds make it Unknown); Unknown
    // when no table has it.
    JetKind kindOf(const QString &column, const QStringList &tables) const;
    JetKind kindOf(const QString &table, const QString &column) const;

private:
    QHash<QString, QHash<QString, JetKind>> m_tables; // by lower-case names
};

// The kind a declared column type carries; Unknown for none.
JetKind jetKindOfDeclaredType(const char *declaredType);
