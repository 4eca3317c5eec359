// SPDX-License-Identifier: GPL-3.0-or-later
// The XML of WebDAV, CardDAV and collection synchronisation: request bodies
// and the reading of multi-status answers into plain values.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <vector>

namespace vcq::sync
{

// One <response> of a multi-status answer. Properties come only from the
// propstat blocks whose status is 2xx.
struct DavResource {
    QString href;     // as the server wrote it (percent-encoded path or URL)
    int status = 200; // the response's own status (404 for a member removed since a token)
    QByteArray etag;  // quotes kept
    QByteArray addressData;
    qint64 contentLength = -1; // getcontentlength, when the server gave it
    bool isCollection = false;
    bool isAddressBook = false;
    QString displayName;
    QString currentUserPrincipal; // href
    QString addressBookHomeSet;   // href
    QString syncToken;            // a collection's DAV:sync-token property

    friend bool operator==(const DavResource &, const DavResource &) = default;
};

struct MultiStatus {
    std::vector<DavResource> responses;
    QString syncToken; // the sync-collection answer's token
    friend bool operator==(const MultiStatus &, const MultiStatus &) = default;
};

// Reads a 207 body; false when it is not well-formed multi-status XML.
bool parseMultiStatus(const QByteArray &body, MultiStatus &out);

// True when an error body carries the named precondition element
// (e.g. "valid-sync-token") in the DAV: or CardDAV namespace.
bool hasDavCondition(const QByteArray &body, const QString &localName);

QByteArray principalPropfindBody();   // current-user-principal
QByteArray homeSetPropfindBody();     // addressbook-home-set
QByteArray collectionsPropfindBody(); // resourcetype, displayname
// Members with their ETags, and the collection's own sync token.
QByteArray etagPropfindBody();
QByteArray syncCollectionBody(const QString &token);
QByteArray multigetBody(const QStringList &hrefs);

// The href's path, percent-decoded, for comparing two spellings of one resource.
QString hrefKey(const QString &href);

} // namespace vcq::sync
