// SPDX-License-Identifier: GPL-3.0-or-later
// Reads by namespace and local name, whatever prefixes the server chose.

#include "sync/DavXml.h"

#include "platform/AppError.h"

#include <QXmlStreamReader>
#include <QXmlStreamWriter>

namespace {

const QString kDav = QStringLiteral("DAV:");
const QString kCardDav = QStringLiteral("urn:ietf:params:xml:ns:carddav");
const QString kCalDav = QStringLiteral("urn:ietf:params:xml:ns:caldav");

int statusCode(const QString &line)
{
    // "HTTP/1.1 404 Not Found"
    const QStringList parts = line.simplified().split(QLatin1Char(' '));
    return parts.size() >= 2 ? parts[1].toInt() : 0;
}

bool is(const QXmlStreamReader &xml, const QString &ns, const char *name)
{
    return xml.namespaceUri() == ns && xml.name() == QLatin1String(name);
}

// The text of the first <href> inside the current element, which is left.
QString childHref(QXmlStreamReader &xml)
{
    QString href;
    while (xml.readNextStartElement()) {
        if (href.isEmpty() && is(xml, kDav, "href"))
            href = xml.readElementText().trimmed();
        else
            xml.skipCurrentElement();
    }
    return href;
}

// The names a property lists as empty elements, however deeply wrapped
// (resourcetype's <collection/>, supported-report-set's
// <supported-report><report><sync-collection/>); a <comp> by its name.
QStringList leafNames(QXmlStreamReader &xml)
{
    QStringList names;
    while (xml.readNextStartElement()) {
        if (xml.name() == QLatin1String("comp")) {
            names << xml.attributes().value(QLatin1String("name")).toString();
            xml.skipCurrentElement();
            continue;
        }
        const QString name = xml.name().toString();
        const QStringList inner = leafNames(xml);
        names += inner.isEmpty() ? QStringList{name} : inner;
    }
    return names;
}

void readProps(QXmlStreamReader &xml, DavResponse &r)
{
    while (xml.readNextStartElement()) {
        if (is(xml, kDav, "getetag"))
            r.etag = xml.readElementText().trimmed();
        else if (is(xml, kDav, "displayname"))
            r.displayName = xml.readElementText().trimmed();
        else if (is(xml, kDav, "resourcetype"))
            r.resourceTypes = leafNames(xml);
        else if (is(xml, kDav, "supported-report-set"))
            r.supportedReports = leafNames(xml);
        else if (is(xml, kCalDav, "supported-calendar-component-set"))
            r.components = leafNames(xml);
        else if (is(xml, kDav, "current-user-principal"))
            r.principal = childHref(xml);
        else if (is(xml, kCardDav, "addressbook-home-set"))
            r.addressbookHome = childHref(xml);
        else if (is(xml, kCalDav, "calendar-home-set"))
            r.calendarHome = childHref(xml);
        else if (is(xml, kDav, "sync-token"))
            r.syncToken = xml.readElementText().trimmed();
        else if (is(xml, kCardDav, "address-data") || is(xml, kCalDav, "calendar-data"))
            r.data = xml.readElementText().toUtf8();
        else
            xml.skipCurrentElement();
    }
}

DavResponse readResponse(QXmlStreamReader &xml)
{
    DavResponse r;
    int ownStatus = 0;
    bool found = false;
    while (xml.readNextStartElement()) {
        if (is(xml, kDav, "href") && r.href.isEmpty()) {
            r.href = xml.readElementText().trimmed();
        } else if (is(xml, kDav, "status")) {
            ownStatus = statusCode(xml.readElementText());
        } else if (is(xml, kDav, "propstat")) {
            DavResponse props;
            int status = 0;
            while (xml.readNextStartElement()) {
                if (is(xml, kDav, "prop"))
                    readProps(xml, props);
                else if (is(xml, kDav, "status"))
                    status = statusCode(xml.readElementText());
                else
                    xml.skipCurrentElement();
            }
            if (status / 100 == 2) {
                props.href = r.href;
                r = props;
                found = true;
            }
        } else {
            xml.skipCurrentElement();
        }
    }
    r.status = ownStatus ? ownStatus : found ? 200 : 404;
    return r;
}

} // namespace

MultiStatus parseMultiStatus(const QByteArray &body, const QString &context)
{
    QXmlStreamReader xml(body);
    MultiStatus result;
    if (xml.readNextStartElement()) {
        if (!is(xml, kDav, "multistatus"))
            xml.raiseError(QStringLiteral("its root is <%1>, not a multistatus").arg(xml.name()));
        while (!xml.hasError() && xml.readNextStartElement()) {
            if (is(xml, kDav, "response"))
                result.responses << readResponse(xml);
            else if (is(xml, kDav, "sync-token"))
                result.syncToken = xml.readElementText().trimmed();
            else
                xml.skipCurrentElement();
        }
    }
    if (!xml.hasError()) {
        // Whatever follows the root must be nothing but the document's end.
        while (!xml.atEnd() && !xml.hasError())
            xml.readNext();
    }
    if (xml.hasError()) {
        QString what = xml.errorString();
        if (what.endsWith(QLatin1Char('.')))
            what.chop(1);
        throw AppError(
            ErrNo::DeviceIO,
            QStringLiteral("The server's answer to %1 is no WebDAV answer (line %2: %3).")
                .arg(context)
                .arg(xml.lineNumber())
                .arg(what));
    }
    return result;
}

namespace {

// A body of the given root in the DAV: namespace, with CardDAV's and
// CalDAV's prefixes declared.
template <typename Fill> QByteArray davBody(const char *root, const QString &rootNs, Fill fill)
{
    QByteArray out;
    QXmlStreamWriter xml(&out);
    xml.writeStartDocument();
    xml.writeNamespace(kDav, QStringLiteral("d"));
    xml.writeNamespace(kCardDav, QStringLiteral("card"));
    xml.writeNamespace(kCalDav, QStringLiteral("cal"));
    xml.writeStartElement(rootNs, QLatin1String(root));
    fill(xml);
    xml.writeEndElement();
    xml.writeEndDocument();
    return out;
}

// name is "ns-prefix:local" of the three namespaces: "d:getetag".
void writeProp(QXmlStreamWriter &xml, const QString &name)
{
    const QString prefix = name.section(QLatin1Char(':'), 0, 0);
    const QString ns = prefix == QLatin1String("card")  ? kCardDav
                       : prefix == QLatin1String("cal") ? kCalDav
                                                        : kDav;
    xml.writeEmptyElement(ns, name.section(QLatin1Char(':'), 1));
}

} // namespace

QByteArray propfindBody(const QStringList &props)
{
    return davBody("propfind", kDav, [&](QXmlStreamWriter &xml) {
        xml.writeStartElement(kDav, QStringLiteral("prop"));
        for (const QString &p : props)
            writeProp(xml, p);
        xml.writeEndElement();
    });
}

QByteArray syncCollectionBody(const QString &token)
{
    return davBody("sync-collection", kDav, [&](QXmlStreamWriter &xml) {
        xml.writeTextElement(kDav, QStringLiteral("sync-token"), token);
        xml.writeTextElement(kDav, QStringLiteral("sync-level"), QStringLiteral("1"));
        xml.writeStartElement(kDav, QStringLiteral("prop"));
        writeProp(xml, QStringLiteral("d:getetag"));
        xml.writeEndElement();
    });
}

QByteArray multigetBody(bool addressBook, const QStringList &hrefs)
{
    return davBody(addressBook ? "addressbook-multiget" : "calendar-multiget",
                   addressBook ? kCardDav : kCalDav, [&](QXmlStreamWriter &xml) {
                       xml.writeStartElement(kDav, QStringLiteral("prop"));
                       writeProp(xml, QStringLiteral("d:getetag"));
                       writeProp(xml, addressBook ? QStringLiteral("card:address-data")
                                                  : QStringLiteral("cal:calendar-data"));
                       xml.writeEndElement();
                       for (const QString &href : hrefs)
                           xml.writeTextElement(kDav, QStringLiteral("href"), href);
                   });
}

QByteArray addressBookQueryBody()
{
    return davBody("addressbook-query", kCardDav, [](QXmlStreamWriter &xml) {
        xml.writeStartElement(kDav, QStringLiteral("prop"));
        writeProp(xml, QStringLiteral("d:getetag"));
        writeProp(xml, QStringLiteral("card:address-data"));
        xml.writeEndElement();
    });
}
