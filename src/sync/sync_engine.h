// SPDX-License-Identifier: GPL-3.0-or-later
// One two-way sync between the open data file and one CardDAV address book.
//
// The server's changes come first: since the stored sync token when the
// server honours it, else by comparing every member's ETag; only the cards
// that changed are fetched. Then every local contact is compared with the
// fields it had when both sides last agreed, and what differs is uploaded
// (If-Match), what is new is created (If-None-Match: *) and what is gone is
// deleted (If-Match). Work grows with what changed, not with the address book.
//
// Identity: a contact is tied to its card by its record number, checked
// against the fields it had at the last sync, since a deleted contact's slot
// is reused by the next new one. A contact whose last name, first name,
// phones and e-mail all differ from what its slot held is a new contact, and
// the slot's old card is deleted on the server, not overwritten.
//
// Crash safety: the state is saved before the uploads (with the href chosen
// for each new card) and every so often during them; whatever a crash cuts
// short is found again by the next sync, which recognises its own cards and
// uploads nothing twice.
#pragma once

#include "dav_client.h"
#include "sync_report.h"
#include "sync_state.h"

#include "store/contact_store.h"

#include <QString>
#include <QUrl>

#include <functional>

namespace vcq::sync
{

struct SyncOptions {
    QString dataFilePath;
    QUrl collection;
    int batchSize = 100; // hrefs per multiget
    int saveEvery = 250; // uploads between two saves of the state; more for a large state
    // Copies the data file before the first change; false stops the sync.
    std::function<bool(QString *backupPath, QString *problem)> backup;
    // Stage text codes: "list", "fetch", "apply", "upload"; done of total.
    std::function<void(const char *stage, int done, int total)> progress;
};

// What the next sync would send from here, by the same rules it uses.
struct PendingChanges {
    int added = 0;
    int changed = 0;
    int deleted = 0;
    friend bool operator==(const PendingChanges &, const PendingChanges &) = default;
};
PendingChanges pendingLocalChanges(const ContactList &contacts, const SyncState &state);

// Runs one sync. The store must be open and loaded.
SyncReport runSync(ContactStore &store, DavClient &client, const SyncOptions &options);

// Field by field: a field changed on one side only takes that side's value; a
// field changed on both sides to different values takes the server's and is
// listed in conflicts.
ContactRecord mergeThreeWay(const ContactRecord &base, const ContactRecord &local,
                            const ContactRecord &server, std::vector<FieldDifference> *conflicts);
// Two versions without a common base: the server's fields, local text where
// the server's field is empty; fields filled differently are listed.
ContactRecord mergeWithoutBase(const ContactRecord &local, const ContactRecord &server,
                               std::vector<FieldDifference> *conflicts);
// Whether the contact now in a slot is still the one synced there: same last
// or first name, or a phone or the e-mail in common.
bool sameContact(const ContactRecord &synced, const ContactRecord &now);

// The card to upload for a contact edited here: the last card seen with only
// the properties of the fields that changed since (synced -> local) replaced.
QByteArray cardForUpload(const ContactRecord &local, const ContactRecord &synced,
                         const QByteArray &lastCard);

} // namespace vcq::sync
