// SPDX-License-Identifier: GPL-3.0-or-later
// Where a data file syncs to: the server address as typed, the address book
// found there, the user name, a certificate accepted by fingerprint, and the
// automatic sync interval. Kept beside the data file ("VCQ97.NAM.carddav",
// JSON, replaced atomically). Never the password.
#pragma once

#include <QString>

namespace vcq::sync
{

struct SyncSettings {
    QString server;     // as the user typed it
    QString collection; // the address book's URL, ends with "/"
    QString user;
    QString fingerprint;            // SHA-256 of an accepted certificate, or empty
    int intervalMinutes = 0;        // 0: no automatic sync
    bool allowInsecureHttp = false; // plain http to another machine, as the user insisted
    friend bool operator==(const SyncSettings &, const SyncSettings &) = default;
};

QString syncSettingsPath(const QString &dataFilePath);
// False when there is no file or it is not ours (problem says which).
bool loadSyncSettings(const QString &dataFilePath, SyncSettings &out, QString *problem = nullptr);
bool saveSyncSettings(const QString &dataFilePath, const SyncSettings &settings,
                      QString *problem = nullptr);

// The key of the password in the keyring: one per user and address book.
QString passwordKey(const SyncSettings &settings);

} // namespace vcq::sync
