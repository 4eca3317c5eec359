// SPDX-License-Identifier: GPL-3.0-or-later
#include "dav_xml.h"

#include <QUrl>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

namespace vcq::sync
{

namespace
{

const QString kDav = QStringLiteral("DAV:");
const QString kCardDav = QStringLiteral("urn:ietf:params:xml:ns:carddav");

int statusOfLine(const QString &line)
{
    // "HTTP/1.1 404 Not Found"
    const QStringList parts = line.simplified().split(QLatin1Char(' '));
    return parts.size() >= 2 ? parts.at(1).toInt() : 0;
}

bool is(const QXmlStreamReader &xml, const QString &ns, const char *name)
{
    return xml.namespaceUri() == ns && xml.name() == QLatin1String(name);
}

// Reads the text of a property holding one <href>, up to its end element.
QString readInnerHref(QXmlStreamReader &xml)
{
    QString href;
    const int depth = 1;
    int level = depth;
    while (level > 0 && !xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            ++level;
            if (is(xml, kDav, "href") && href.isEmpty()) {
                href = xml.readElementText(QXmlStreamReader::IncludeChildElements).trimmed();
                --level;
            }
        } else if (xml.isEndElement()) {
            --level;
        }
    }
    return href;
}

void readProp(QXmlStreamReader &xml, DavResource &into)
{
    while (xml.readNextStartElement()) {
        if (is(xml, kDav, "getetag")) {
            into.etag = xml.readElementText().trimmed().toUtf8();
        } else if (is(xml, kDav, "getcontentlength")) {
            bool ok = false;
            const qint64 length = xml.readElementText().trimmed().toLongLong(&ok);
            into.contentLength = ok && length >= 0 ? length : -1;
        } else if (is(xml, kCardDav, "address-data")) {
            into.addressData = xml.readElementText().toUtf8();
        } else if (is(xml, kDav, "displayname")) {
            into.displayName = xml.readElementText().trimmed();
        } else if (is(xml, kDav, "sync-token")) {
            into.syncToken = xml.readElementText().trimmed();
        } else if (is(xml, kDav, "resourcetype")) {
            while (xml.readNextStartElement()) {
                if (is(xml, kDav, "collection"))
                    into.isCollection = true;
                else if (is(xml, kCardDav, "addressbook"))
                    into.isAddressBook = true;
                xml.skipCurrentElement();
            }
        } else if (is(xml, kDav, "current-user-principal")) {
            into.currentUserPrincipal = readInnerHref(xml);
        } else if (is(xml, kCardDav, "addressbook-home-set")) {
            into.addressBookHomeSet = readInnerHref(xml);
        } else {
            xml.skipCurrentElement();
        }
    }
}

void readPropstat(QXmlStreamReader &xml, DavResource &into)
{
    DavResource props;
    int status = 200;
    while (xml.readNextStartElement()) {
        if (is(xml, kDav, "prop"))
            readProp(xml, props);
        else if (is(xml, kDav, "status"))
            status = statusOfLine(xml.readElementText());
        else
            xml.skipCurrentElement();
    }
    if (status < 200 || status >= 300)
        return;
    if (!props.etag.isEmpty())
        into.etag = props.etag;
    if (!props.addressData.isEmpty())
        into.addressData = props.addressData;
    if (props.contentLength >= 0)
        into.contentLength = props.contentLength;
    if (!props.displayName.isEmpty())
        into.displayName = props.displayName;
    if (!props.syncToken.isEmpty())
        into.syncToken = props.syncToken;
    if (!props.currentUserPrincipal.isEmpty())
        into.currentUserPrincipal = props.currentUserPrincipal;
    if (!props.addressBookHomeSet.isEmpty())
        into.addressBookHomeSet = props.addressBookHomeSet;
    into.isCollection = into.isCollection || props.isCollection;
    into.isAddressBook = into.isAddressBook || props.isAddressBook;
}

DavResource readResponse(QXmlStreamReader &xml)
{
    DavResource r;
    while (xml.readNextStartElement()) {
        if (is(xml, kDav, "href") && r.href.isEmpty())
            r.href = xml.readElementText().trimmed();
        else if (is(xml, kDav, "status"))
            r.status = statusOfLine(xml.readElementText());
        else if (is(xml, kDav, "propstat"))
            readPropstat(xml, r);
        else
            xml.skipCurrentElement();
    }
    return r;
}

class Body
{
public:
    explicit Body(const char *root, bool cardDavRoot) : m_xml(&m_bytes)
    {
        m_xml.writeStartDocument();
        m_xml.writeNamespace(kDav, QStringLiteral("d"));
        m_xml.writeNamespace(kCardDav, QStringLiteral("card"));
        m_xml.writeStartElement(cardDavRoot ? kCardDav : kDav, QLatin1String(root));
    }
    QXmlStreamWriter &xml() { return m_xml; }
    QByteArray finish()
    {
        m_xml.writeEndDocument();
        return m_bytes;
    }
    void props(std::initializer_list<std::pair<const QString *, const char *>> names)
    {
        m_xml.writeStartElement(kDav, QStringLiteral("prop"));
        for (const auto &[ns, name] : names)
            m_xml.writeEmptyElement(*ns, QLatin1String(name));
        m_xml.writeEndElement();
    }

private:
    QByteArray m_bytes;
    QXmlStreamWriter m_xml;
};

} // namespace

bool parseMultiStatus(const QByteArray &body, MultiStatus &out)
{
    out = {};
    QXmlStreamReader xml(body);
    if (!xml.readNextStartElement() || !is(xml, kDav, "multistatus"))
        return false;
    while (xml.readNextStartElement()) {
        if (is(xml, kDav, "response"))
            out.responses.push_back(readResponse(xml));
        else if (is(xml, kDav, "sync-token"))
            out.syncToken = xml.readElementText().trimmed();
        else
            xml.skipCurrentElement();
    }
    return !xml.hasError();
}

bool hasDavCondition(const QByteArray &body, const QString &localName)
{
    QXmlStreamReader xml(body);
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == localName &&
            (xml.namespaceUri() == kDav || xml.namespaceUri() == kCardDav))
            return true;
    }
    return false;
}

QByteArray principalPropfindBody()
{
    Body b("propfind", false);
    b.props({{&kDav, "current-user-principal"}});
    return b.finish();
}

QByteArray homeSetPropfindBody()
{
    Body b("propfind", false);
    b.props({{&kCardDav, "addressbook-home-set"}});
    return b.finish();
}

QByteArray collectionsPropfindBody()
{
    Body b("propfind", false);
    b.props({{&kDav, "resourcetype"}, {&kDav, "displayname"}});
    return b.finish();
}

QByteArray etagPropfindBody()
{
    Body b("propfind", false);
    b.props({{&kDav, "resourcetype"},
             {&kDav, "getetag"},
             {&kDav, "getcontentlength"},
             {&kDav, "sync-token"}});
    return b.finish();
}

QByteArray syncCollectionBody(const QString &token)
{
    Body b("sync-collection", false);
    b.xml().writeTextElement(kDav, QStringLiteral("sync-token"), token);
    b.xml().writeTextElement(kDav, QStringLiteral("sync-level"), QStringLiteral("1"));
    b.props({{&kDav, "getetag"}, {&kDav, "getcontentlength"}});
    return b.finish();
}

QByteArray multigetBody(const QStringList &hrefs)
{
    Body b("addressbook-multiget", true);
    b.props({{&kDav, "getetag"}, {&kCardDav, "address-data"}});
    for (const QString &href : hrefs)
        b.xml().writeTextElement(kDav, QStringLiteral("href"), href);
    return b.finish();
}

QString hrefKey(const QString &href)
{
    QString path = QUrl::fromEncoded(href.toUtf8()).path(QUrl::FullyDecoded);
    if (path.isEmpty())
        path = href;
    return path;
}

} // namespace vcq::sync
