// SPDX-License-Identifier: GPL-3.0-or-later
// What one sync did: counts, the contacts in conflict with what differed and
// the local version that lost, the cards the server refused with its answer,
// and the failure that stopped it. Words for it in French and English.
#pragma once

#include "store/contact_record.h"
#include "sync_errors.h"

#include <QString>
#include <QStringList>

#include <string>
#include <vector>

namespace vcq::sync
{

struct FieldDifference {
    Field field = Field::LastName;
    std::string local; // code-page bytes, as in the data file
    std::string server;
    friend bool operator==(const FieldDifference &, const FieldDifference &) = default;
};

enum class ConflictKind {
    BothChanged,             // the same field changed on both sides: the server's value kept
    ChangedHereDeletedThere, // the server's deletion wins
    DeletedHereChangedThere, // the server's card comes back
    Matched,                 // a first sync matched two versions of a contact that disagree
};

struct Conflict {
    ConflictKind kind = ConflictKind::BothChanged;
    std::string name; // UTF-8 "Last First"
    std::vector<FieldDifference> differences;
    friend bool operator==(const Conflict &, const Conflict &) = default;
};

struct Refusal {
    std::string name; // UTF-8
    int status = 0;
    QString answer; // the start of the server's answer
    bool deletion = false;
    friend bool operator==(const Refusal &, const Refusal &) = default;
};

struct SyncReport {
    SyncError error;
    int addedHere = 0;
    int changedHere = 0;
    int deletedHere = 0;
    int uploadedNew = 0;
    int uploadedChanged = 0;
    int deletedOnServer = 0;
    int unreadableCards = 0; // cards on the server we could not read (left alone)
    QStringList outside;     // hrefs listed outside the address book: never fetched
    QStringList tooLarge;    // cards over the size limit: left on the server
    int requests = 0;
    bool fullListing = false;  // listed by ETags instead of a sync token
    bool tokenRefused = false; // the stored token was refused
    QString stateProblem;      // the damaged state file that was set aside
    QString backupPath;        // the copy of the data file made before changing it
    QString conflictsFile;     // where the local versions in conflict went
    std::vector<Conflict> conflicts;
    std::vector<Refusal> refused;

    // 0 all well, 1 a card refused, unreadable, too large or outside the
    // address book, or a conflict resolved; 2 failed.
    int exitCode() const;
};

// The report as lines of text for a terminal or a message box.
QString reportText(const SyncReport &report, bool french);
// One failure in a sentence.
QString errorText(const SyncError &error, bool french);

} // namespace vcq::sync
