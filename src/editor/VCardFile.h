// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Birthdays and anniversaries from address books: a small, strict reader
// of vCard files (RFC 6350, and 2.1 and 3.0 as phones and address books
// write them), since libical reads no vCard.

#include "editor/ShareFile.h"

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QString>

// One property of a card, its value decoded (quoted-printable, CHARSET) but
// not unescaped; the value of a property the import does not read stays
// empty, so that it is never decoded.
struct VCardProperty
{
    QString name;                                  // upper case, without a group ("item1.")
    QString group;                                 // upper case, "" for none
    QList<std::pair<QString, QString>> parameters; // names upper case; a bare 2.1 value has name ""
    QString value;
    int line = 0; // where it begins, counted from 1

    // The value of the first parameter of that name ("" when none).
    QString parameter(const QString &name) const;
};

struct VCard
{
    QList<VCardProperty> properties; // of the card itself, not of a card inside it
    int line = 0;

    // The first property of that name, or nullptr.
    const VCardProperty *first(const QString &name) const;
};

// The cards of a vCard file's bytes (UTF-8, 8-bit, or UTF-16 with its
// mark), in order. Lines are unfolded, quoted-printable values joined
// across their soft line breaks and decoded with their CHARSET (UTF-8,
// US-ASCII, ISO-8859-1, Windows-1252 or any other the system knows);
// undeclared 8-bit text is UTF-8 where it reads as such, else
// Windows-1252. Throws AppError, naming the line, for a file that does not
// begin with BEGIN:VCARD, a line outside a card or without a colon, a card
// that does not end, and, in a property the import reads, text that is not
// in its CHARSET, an unknown CHARSET, or broken quoted-printable.
QList<VCard> readVCards(const QByteArray &bytes);

// A text value with its escapes (\\, \, \; \n \N) undone.
QString unescapeVCardText(const QString &value);

// The components of a structured value (N), split at unescaped ';' and
// unescaped.
QStringList vcardComponents(const QString &value);

// The day of a date value: yyyy-mm-dd, yyyymmdd, either with a time after
// "T" (the date counts), or without a year, --mmdd and --mm-dd, in 1604 (the
// year address books use for "no year"). Invalid when the value is none
// of these or not a real day of the years 100 to 9999. kNoYear (DateRules)
// is that year.
QDate vcardDay(const QString &value);

// True for RFC 6350's reduced dates, which name no day of a year: yyyy,
// yyyy-mm, --mm and ---dd.
bool isReducedVCardDate(const QString &value);

// The contacts' birthdays (BDAY) and anniversaries (ANNIVERSARY,
// X-ANNIVERSARY, X-MS-ANNIVERSARY, X-EVOLUTION-ANNIVERSARY,
// X-KADDRESSBOOK-X-ANNIVERSARY, X-WAB-WEDDING-ANNIVERSARY, an X-ABDATE whose
// X-ABLABEL of the same group says anniversary) as yearly import
// candidates: "<name>'s birthday" of type birthday, "<name>'s anniversary"
// of type anniversary, the name being FN, else the parts of N. Contacts
// without a date, with only a reduced date or without a name are counted
// in skipped, as is a reduced date left out beside a full one. Throws
// AppError as readVCards does, and for a date that is not one (naming the
// line), unless VALUE=text says it is a text. progress is told the
// contacts read of the whole.
ImportRead parseVCardFile(const QByteArray &bytes, const ReadProgress &progress = {});

// Reads the file at path as parseVCardFile does.
ImportRead readVCardFile(const QString &path, const ReadProgress &progress = {});
