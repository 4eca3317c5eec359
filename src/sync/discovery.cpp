// SPDX-License-Identifier: GPL-3.0-or-later
#include "discovery.h"

#include "dav_xml.h"
#include "origin.h"

namespace vcq::sync
{

namespace
{

QUrl asCollection(QUrl url)
{
    QString path = url.path();
    if (!path.endsWith(QLatin1Char('/')))
        url.setPath(path + QLatin1Char('/'));
    return url;
}

struct Step {
    SyncError error;
    MultiStatus answer;
    QUrl url;     // where the answer came from, after redirects
    QUrl movedTo; // where the address asked for moved for good, or empty
};

Step propfind(DavClient &client, const QUrl &url, const QByteArray &body, const char *depth)
{
    Step step;
    DavRequest req{"PROPFIND",
                   url,
                   {{"Depth", depth}, {"Content-Type", "application/xml; charset=utf-8"}},
                   body};
    const DavReply reply = client.sendFollowing(req);
    step.error = errorOfReply(reply);
    step.url = reply.url.isValid() ? reply.url : url;
    step.movedTo = reply.movedTo;
    if (step.error)
        return step;
    if (reply.status != 207 || !parseMultiStatus(reply.body, step.answer))
        step.error = {
            SyncErrc::BadAnswer, reply.status, QString::fromUtf8(reply.body.left(300)), {}};
    return step;
}

bool fatal(const SyncError &e)
{
    switch (e.code) {
    case SyncErrc::Network:
    case SyncErrc::Tls:
    case SyncErrc::Unauthorized:
    case SyncErrc::Cancelled:
    case SyncErrc::TimedOut:
    case SyncErrc::TooLarge:
    case SyncErrc::OtherOrigin:
    case SyncErrc::Downgrade:
    case SyncErrc::Insecure:
        return true;
    default:
        return false;
    }
}

// The first address book among the home's members, the home itself excluded.
bool pickAddressBook(const MultiStatus &answer, const QUrl &home, DiscoveryResult &out)
{
    const QString homeKey = hrefKey(asCollection(home).path(QUrl::FullyEncoded));
    for (const DavResource &r : answer.responses) {
        QString key = hrefKey(r.href);
        if (!key.endsWith(QLatin1Char('/')))
            key += QLatin1Char('/');
        if (!r.isAddressBook || key == homeKey)
            continue;
        const QUrl found = asCollection(home.resolved(QUrl::fromEncoded(r.href.toUtf8())));
        if (!sameOrigin(found, home))
            continue; // the password would not be sent there
        out.collection = found;
        out.displayName = r.displayName;
        return true;
    }
    return false;
}

} // namespace

DiscoveryResult discoverAddressBook(DavClient &client, const QUrl &start)
{
    DiscoveryResult result;
    const QString scheme = start.scheme().toLower();
    if (!start.isValid() || (scheme != QLatin1String("http") && scheme != QLatin1String("https")) ||
        start.host().isEmpty()) {
        result.error = {SyncErrc::BadUrl, 0, start.toString(), {}};
        return result;
    }

    // The address given may be the collection itself.
    Step self = propfind(client, start, collectionsPropfindBody(), "0");
    if (fatal(self.error)) {
        result.error = self.error;
        return result;
    }
    if (!self.error && !self.answer.responses.empty() &&
        self.answer.responses.front().isAddressBook) {
        // Moved for good on the same server: the new address is the one kept.
        result.collection = asCollection(self.movedTo.isValid() ? self.movedTo : start);
        result.displayName = self.answer.responses.front().displayName;
        return result;
    }

    // The user's principal: asked of the address given, then of the well-known address.
    QUrl principal;
    for (const QUrl &where :
         {start, start.resolved(QUrl(QStringLiteral("/.well-known/carddav")))}) {
        Step step = propfind(client, where, principalPropfindBody(), "0");
        if (fatal(step.error)) {
            result.error = step.error;
            return result;
        }
        if (!step.error) {
            for (const DavResource &r : step.answer.responses) {
                if (!r.currentUserPrincipal.isEmpty()) {
                    principal =
                        step.url.resolved(QUrl::fromEncoded(r.currentUserPrincipal.toUtf8()));
                    break;
                }
            }
        }
        if (principal.isValid())
            break;
    }

    QList<QUrl> homes;
    if (principal.isValid()) {
        Step step = propfind(client, principal, homeSetPropfindBody(), "0");
        if (fatal(step.error)) {
            result.error = step.error;
            return result;
        }
        for (const DavResource &r : step.answer.responses) {
            if (!r.addressBookHomeSet.isEmpty())
                homes << step.url.resolved(QUrl::fromEncoded(r.addressBookHomeSet.toUtf8()));
        }
        if (homes.isEmpty())
            homes << principal;
    }
    homes << start;

    for (const QUrl &home : homes) {
        Step step = propfind(client, asCollection(home), collectionsPropfindBody(), "1");
        if (fatal(step.error)) {
            result.error = step.error;
            return result;
        }
        if (!step.error && pickAddressBook(step.answer, asCollection(step.url), result))
            return result;
    }
    result.error = {SyncErrc::NoAddressBook, 0, start.toString(), {}};
    return result;
}

SyncError errorOfReply(const DavReply &reply)
{
    switch (reply.error) {
    case DavErrc::Network:
        return {SyncErrc::Network, 0, reply.errorText, {}};
    case DavErrc::Tls:
        return {SyncErrc::Tls, 0, reply.errorText, reply.fingerprint};
    case DavErrc::Cancelled:
        return {SyncErrc::Cancelled, 0, {}, {}};
    case DavErrc::TimedOut:
        return {SyncErrc::TimedOut, 0, reply.errorText, {}};
    case DavErrc::TooLarge:
        return {SyncErrc::TooLarge, 0, reply.errorText, {}};
    case DavErrc::OtherOrigin:
        return {SyncErrc::OtherOrigin, 0, reply.errorText, {}};
    case DavErrc::Downgrade:
        return {SyncErrc::Downgrade, 0, reply.errorText, {}};
    case DavErrc::Insecure:
        return {SyncErrc::Insecure, 0, reply.errorText, {}};
    case DavErrc::None:
        break;
    }
    if (reply.status >= 200 && reply.status < 300)
        return {};
    if (reply.status == 401)
        return {SyncErrc::Unauthorized, 401, {}, {}};
    if (reply.status == 403)
        return {SyncErrc::Forbidden, 403, QString::fromUtf8(reply.body.left(300)), {}};
    return {SyncErrc::ServerError, reply.status, QString::fromUtf8(reply.body.left(300)), {}};
}

} // namespace vcq::sync
