// SPDX-License-Identifier: GPL-3.0-or-later
// Finds the address book collection from what the user typed: a collection
// URL as it is, or a server address followed through /.well-known/carddav,
// the current user's principal and its address book home to the first
// collection of the address book type (never the home itself).
#pragma once

#include "dav_client.h"
#include "sync_errors.h"

#include <QUrl>

namespace vcq::sync
{

struct DiscoveryResult {
    SyncError error; // code None when found
    QUrl collection; // ends with "/"
    QString displayName;
};

DiscoveryResult discoverAddressBook(DavClient &client, const QUrl &start);

} // namespace vcq::sync
