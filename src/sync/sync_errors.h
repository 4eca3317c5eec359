// SPDX-License-Identifier: GPL-3.0-or-later
// Why a sync, a setup or a test of the connection failed: a code for the
// logic, details for the message the front end writes in the user's language.
#pragma once

#include "dav_client.h"

#include <QString>

namespace vcq::sync
{

enum class SyncErrc {
    None,
    NotConfigured, // no server set up for this data file
    NoPassword,    // no password from the keychain nor a file
    Keychain,      // the Secret Service refused or is absent (detail says why)
    BadUrl,        // not an http(s) URL
    Network,       // no answer (detail: the network layer's text)
    Tls,           // certificate refused (detail: errors; fingerprint set)
    Unauthorized,  // 401
    Forbidden,     // 403 on discovery or listing
    NoAddressBook, // discovery found no address book collection
    ServerError,   // an unexpected status (status set, detail: server's answer)
    BadAnswer,     // an answer that is not the XML it should be
    DataFile,      // the data file could not be opened or written (detail: message)
    StateFile,     // the sync state could not be written (detail: path)
    Cancelled,
    TimedOut,    // the server sent nothing for the time-out (detail: seconds)
    TooLarge,    // an answer over its size limit (detail: the limit in bytes)
    OtherOrigin, // sent elsewhere than the origin set up (detail: the address); not followed
    Downgrade,   // redirected from https to http (detail: the address); not followed
    Insecure,    // plain http to another machine without --allow-insecure-http (detail: address)
};

struct SyncError {
    SyncErrc code = SyncErrc::None;
    int status = 0;
    QString detail;
    QString fingerprint;

    explicit operator bool() const { return code != SyncErrc::None; }
    friend bool operator==(const SyncError &, const SyncError &) = default;
};

// The failure a reply stands for, or code None for a 2xx/207 answer.
SyncError errorOfReply(const DavReply &reply);

} // namespace vcq::sync
