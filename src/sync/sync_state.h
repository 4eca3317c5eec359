// SPDX-License-Identifier: GPL-3.0-or-later
// What the last sync left behind, kept beside the data file in a file of its
// own ("VCQ97.NAM.syncstate", JSON, replaced atomically): the collection, the
// server's sync token, and for each synced contact its record number, the
// card's href and ETag, the card as last seen on the server, and the
// contact's fields as they were when the two last agreed. Comparing a contact
// with those fields finds a change however it was made.
#pragma once

#include "store/contact_record.h"

#include <QByteArray>
#include <QHash>
#include <QString>

#include <cstdint>
#include <map>
#include <unordered_map>
#include <vector>

namespace vcq::sync
{

struct SyncEntry {
    std::int32_t record = -1; // -1: no local contact (deleted here, not yet on the server)
    QString href;             // as the server spells it, or as we chose it
    QByteArray etag;          // empty: not known (an upload whose answer had none)
    QByteArray card;          // the card as last seen on or sent to the server
    ContactRecord synced;     // the contact's 16 fields when both sides last agreed
    bool onServer = true;     // false: an upload chosen but not yet confirmed
    friend bool operator==(const SyncEntry &, const SyncEntry &) = default;
};

struct SyncState {
    QString collection;    // the address book the entries belong to
    QString syncToken;     // empty: list by ETags next time
    bool complete = false; // a first sync has finished
    std::vector<SyncEntry> entries;
    // Cards too large to take in, by href, with the ETag they had: left on
    // the server and not fetched again until they change.
    std::map<QString, QByteArray> leftOnServer;
    friend bool operator==(const SyncState &, const SyncState &) = default;
};

enum class StateLoad {
    Missing, // no file: a first sync
    Loaded,
    Damaged, // unreadable or not ours; the file was moved aside (problem says where)
};

// The file beside a data file.
QString syncStatePath(const QString &dataFilePath);
QString conflictsPath(const QString &dataFilePath);

// Reads the state. A damaged file is renamed to "<path>.damaged" (unless
// setAside is false: a reader that only looks) so that the next sync can
// rebuild the state without destroying what was there.
StateLoad loadSyncState(const QString &path, SyncState &out, QString *problem = nullptr,
                        bool setAside = true);
// Writes the whole state to a temporary file and renames it over the old one.
bool saveSyncState(const QString &path, const SyncState &state, QString *problem = nullptr);

// Looks entries up by href and by record number; rebuilt after changes.
class SyncIndex
{
public:
    void rebuild(const SyncState &state);
    // Index of the entry or -1.
    int byHref(const QString &href) const;
    int byRecord(std::int32_t record) const;
    void setHref(const QString &href, int index);
    void setRecord(std::int32_t record, int index);
    void forgetRecord(std::int32_t record);

private:
    std::unordered_map<QString, int> m_href;
    std::unordered_map<std::int32_t, int> m_record;
};

} // namespace vcq::sync
