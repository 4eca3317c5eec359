// SPDX-License-Identifier: GPL-3.0-or-later
#include "origin.h"

#include <QHostAddress>

namespace vcq::sync
{

namespace
{

int effectivePort(const QUrl &url)
{
    const QString scheme = url.scheme().toLower();
    return url.port(scheme == QLatin1String("https")  ? 443
                    : scheme == QLatin1String("http") ? 80
                                                      : -1);
}

} // namespace

bool sameOrigin(const QUrl &a, const QUrl &b)
{
    return a.isValid() && b.isValid() && a.scheme().compare(b.scheme(), Qt::CaseInsensitive) == 0 &&
           a.host().compare(b.host(), Qt::CaseInsensitive) == 0 &&
           effectivePort(a) == effectivePort(b);
}

bool isLoopbackHost(const QString &host)
{
    if (host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0)
        return true;
    const QHostAddress address(host);
    return !address.isNull() && address.isLoopback();
}

bool isInsecureHttp(const QUrl &url)
{
    return url.scheme().compare(QLatin1String("http"), Qt::CaseInsensitive) == 0 &&
           !isLoopbackHost(url.host());
}

RedirectVerdict judgeRedirect(const QUrl &from, const QUrl &to)
{
    if (from.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0 &&
        to.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) != 0)
        return RedirectVerdict::Downgrade;
    return sameOrigin(from, to) ? RedirectVerdict::Follow : RedirectVerdict::OtherOrigin;
}

bool isMemberHref(const QUrl &collection, const QString &href, QUrl *resolved)
{
    // resolved() removes the dot segments, so "../" cannot climb out unseen.
    const QUrl url = collection.resolved(QUrl::fromEncoded(href.toUtf8()));
    if (resolved)
        *resolved = url;
    if (!sameOrigin(collection, url) || url.hasQuery() || url.hasFragment())
        return false;
    QString base = collection.path(QUrl::FullyDecoded);
    if (!base.endsWith(QLatin1Char('/')))
        base += QLatin1Char('/');
    const QString path = url.path(QUrl::FullyDecoded);
    if (!path.startsWith(base))
        return false;
    const QString name = path.mid(base.size());
    return !name.isEmpty() && !name.contains(QLatin1Char('/')) && name != QLatin1String("..") &&
           name != QLatin1String(".");
}

} // namespace vcq::sync
