// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The share file: the program's own text format for carrying events from
// one event database to another. Writing it, reading it back into import
// candidates, and the statements that insert them.

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

class Connection;
class RecordSet;

inline const QString kShareHeader = QStringLiteral("[Almarik Export File]");

// The share file's text for every visible row of rs, in its order, lines
// ended by CR LF. Throws AppError, before anything is written, for an event
// the format cannot carry (no date, a line break in its type or
// description); *count receives the number of records.
QString shareFileText(const RecordSet &rs, int *count = nullptr);

// Writes shareFileText(rs) to path (Windows-1252 when it holds every
// character, else UTF-8 with its mark), creating or replacing the file only once the whole
// text is written. Returns the number of records. Throws AppError; the file
// is then as it was.
int ExportShareFile(const RecordSet &rs, const QString &path);

// One record as read on import, in file order.
struct ImportCandidate
{
    QString dateText; // dd/mm/yyyy
    QString iconText; // the type key, or "Null"
    QString description;
    QString showOnceText; // True or False, in any case
    QString details;      // lines joined by CR LF, or "Null"
    bool exists = false;  // its description is among the events already
    // Calendar and address book imports: the type and details hold the
    // texts themselves ("Null" included), a null QString standing for none.
    bool plainTexts = false;
    bool suggested = true; // ticked in the list unless it exists
    QString note{};        // shown after the description in the list, as " (...)"
};

// What an import read: the candidates and, for the closing message, what
// was left out ("3 contacts had no date").
struct ImportRead
{
    QList<ImportCandidate> candidates;
    QStringList skipped;
    bool stopped = false; // the reader was told to stop: nothing is offered
};

// Told how far a long read has gone, done of total in the reader's own
// units; answering false stops it.
using ReadProgress = std::function<bool(qint64 done, qint64 total)>;

// The text of a candidate's item in the selection list.
QString importListText(const ImportCandidate &c);

// The picture of the candidate's item in the selection list: its type key,
// "unknown" when it has none.
QString importPictureKey(const ImportCandidate &c);

// dd/mm/yyyy, the date form of candidates and share files.
QString shareDateText(const QDate &day);

// Throws AppError, naming the record, when its date text is not a real
// dd/mm/yyyy date or its show-once text is not True or False.
void checkImportRecord(const ImportCandidate &c);

// The INSERT statement of a record; throws as checkImportRecord does.
QString importInsertStatement(const ImportCandidate &c);

// Removes every event of a description before an overwriting insert.
QString overwriteDeleteStatement(const QString &description);

// The records of a share file's text. False (candidates untouched) when its
// first line is not exactly the header. Throws AppError, naming the record
// and line, for a count that is not a number, a file that ends before its
// last record is complete, records beyond the count, or a record whose
// date or show-once text cannot be read.
bool parseShareFile(const QString &text, QList<ImportCandidate> *candidates);

// Reads the share file at path (any of the forms ExchangeText reads) into
// candidates. False when it is not a share file (its first line is not
// exactly the header), decided from the file's first bytes alone, so a
// large file of another kind is never read. Throws AppError as
// readWholeFile and parseShareFile do.
bool readShareFile(const QString &path, QList<ImportCandidate> *candidates);

// Sets each candidate's exists flag: its description (without regard to
// case, as the database compares) is among rs's rows.
void markExisting(QList<ImportCandidate> &candidates, const RecordSet &rs);

// Inserts the chosen candidates in one transaction on db, each after
// deleting the events of its description when overwrite is set: what their
// statements (and overwriteDeleteStatement) do, run as one prepared
// statement with the record's values bound, since compiling 100,000
// statements (each with the table's type checks) would cost 25 times the
// inserts themselves. Returns the number inserted. Throws DbError; nothing
// is changed then.
int importCandidates(Connection &db, const QList<ImportCandidate> &candidates,
                     const std::vector<bool> &chosen, bool overwrite);
