// SPDX-License-Identifier: GPL-3.0-or-later
// The server password in the desktop's Secret Service, through QtKeychain.
// Never written anywhere else: where no Secret Service answers, the command
// line reads it from a file each time.
#pragma once

#include "sync_errors.h"

#include <QString>

namespace vcq::sync
{

struct PasswordLookup {
    SyncError error; // NoPassword when absent, Keychain when the keyring failed
    QString password;
};

// Waits at most timeoutMs for the keyring.
PasswordLookup readStoredPassword(const QString &key, int timeoutMs = 10000);
SyncError storePassword(const QString &key, const QString &password, int timeoutMs = 10000);

// The first line of a file, without its line end; NoPassword when unreadable
// (detail names the file).
PasswordLookup readPasswordFile(const QString &path);

} // namespace vcq::sync
