// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The WebDAV answers the sync reads (RFC 4918 multistatus, with the CalDAV,
// CardDAV and sync-collection properties of RFC 4791, 6352, 6578) and the
// request bodies it sends.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// One <response> of a multistatus, its properties as found in the propstat
// whose status is 2xx; hrefs as the server wrote them, so that they go
// back as they came.
struct DavResponse
{
    QString href;
    int status = 200; // the response's own status, else the 200 propstat's
    QString etag;     // quotes kept: it is sent back as it came
    QString displayName;
    QStringList resourceTypes;    // local names: "collection", "addressbook", "calendar"
    QStringList supportedReports; // local names: "sync-collection", "addressbook-multiget"
    QStringList components;       // a calendar's supported VEVENT, VTODO ...
    QString principal;            // current-user-principal's href
    QString addressbookHome;      // addressbook-home-set's href
    QString calendarHome;         // calendar-home-set's href
    QString syncToken;            // a collection's sync-token property
    QByteArray data;              // address-data or calendar-data, as UTF-8
};

struct MultiStatus
{
    QList<DavResponse> responses;
    QString syncToken; // sync-collection's new token, "" when none
};

// Reads a multistatus body. Throws AppError ("The server's answer to
// <context> is no WebDAV answer (line <n>: <what>).") for text that is not
// well-formed XML or has no multistatus root.
MultiStatus parseMultiStatus(const QByteArray &body, const QString &context);

// The request bodies.
QByteArray propfindBody(const QStringList &davProps);
QByteArray syncCollectionBody(const QString &token);
QByteArray multigetBody(bool addressBook, const QStringList &hrefs);
// Every card of an address book with its data: an addressbook-query
// without a filter.
QByteArray addressBookQueryBody();
