// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A Microsoft Access (Jet) file read through mdbtools' libmdb, for bringing
// the Windows version's database over. Only the raw stored bytes are taken
// from libmdb: dates as Jet's serial number and texts decoded here
// (AccessText.h), since libmdb's own text forms lose years and characters.
// The file is opened read-only and never changed.

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

// True when the file starts as a Jet file does: 00 01 00 00 and
// "Standard Jet DB" (Access 97 to 2003) or "Standard ACE DB" (Access 2007
// and later). False for any other file and for one that cannot be read.
bool isAccessFile(const QString &path);

enum class AccessKind
{
    Null, // a value only: no value stored
    Number,
    Date, // number holds Jet's serial: days since 30 December 1899
    Text,
    YesNo, // number holds -1 or 0
    Other  // a column only: binary, OLE object, replication id ...
};

struct AccessValue
{
    AccessKind kind = AccessKind::Null;
    double number = 0;
    QString text;
};

struct AccessColumn
{
    QString name;
    AccessKind kind = AccessKind::Other;
    int size = 0; // a text column's length in characters; 0 for a long text
};

class AccessFile final
{
public:
    // Opens path read-only. Throws DbError when it is not a Jet file or
    // libmdb cannot read its header and catalog (a damaged file).
    explicit AccessFile(const QString &path);
    ~AccessFile();
    AccessFile(const AccessFile &) = delete;
    AccessFile &operator=(const AccessFile &) = delete;

    const QString &path() const { return m_path; }

    // The user tables, as the file spells them.
    QStringList tableNames() const;
    // The table's name as the file spells it (compared without case); an
    // empty text when there is no such table.
    QString tableNamed(const QString &name) const;
    // Its columns in their order; throws DbError when there is no such
    // table or its definition cannot be read.
    QList<AccessColumn> columns(const QString &table) const;
    // The row count the table's definition holds.
    qint64 rowCount(const QString &table) const;

    // Hands every row of the table to row, the values in the order of
    // names; a name the table lacks gives Null. Returns the rows read.
    // Throws DbError, after any rows already handed on, when a page, a row
    // or a long value cannot be read or the rows found are not as many as
    // the table's definition holds: the file is damaged.
    using RowSink = std::function<void(const std::vector<AccessValue> &values)>;
    qint64 readRows(const QString &table, const QStringList &names, const RowSink &row) const;

private:
    struct Handle;
    QString m_path;
    std::unique_ptr<Handle> m_handle;
};
