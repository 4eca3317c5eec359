// SPDX-License-Identifier: GPL-3.0-or-later
// Where the password may go: the origin (scheme, host, port) of the address
// the user set up, and the members of the address book found there. Plain
// http is safe only on this machine's loopback.
#pragma once

#include <QString>
#include <QUrl>

namespace vcq::sync
{

// Same scheme, host and port (a missing port counts as the scheme's own).
bool sameOrigin(const QUrl &a, const QUrl &b);
// 127.0.0.0/8, ::1 or "localhost".
bool isLoopbackHost(const QString &host);
// Plain http to a host other than the loopback: a password would travel in clear.
bool isInsecureHttp(const QUrl &url);

enum class RedirectVerdict {
    Follow,      // same origin: followed with the credentials
    OtherOrigin, // another host, port or scheme: refused, the user is told where
    Downgrade,   // https to http: refused
};
RedirectVerdict judgeRedirect(const QUrl &from, const QUrl &to);

// Whether an href of a listing names a card directly in the collection (not
// the collection itself, not a sub-folder, not elsewhere on the server, not
// on another origin). resolved receives the href resolved against it.
bool isMemberHref(const QUrl &collection, const QString &href, QUrl *resolved = nullptr);

} // namespace vcq::sync
