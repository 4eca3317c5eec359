// SPDX-License-Identifier: GPL-3.0-or-later
// Maps cards to the 16 fields of a contact record and back.
//
// In:  N family/given -> LastName/FirstName (FN split when N has no name),
//      ORG first component -> Organisation, the preferred (else first home,
//      else first) ADR -> Address1/City/Zip/State/Country, TEL home -> Phone1,
//      work -> Phone2, fax -> Phone3, cell -> Cell (each typed phone takes its
//      field before any other), then any phone into any free phone field; the
//      preferred (else first) EMAIL; BDAY -> Birth; CATEGORIES first value ->
//      Status; NOTE -> Comment. Line breaks are stored as CR LF; text is
//      transliterated to cp1252 and cut to each field's maximum; every change
//      and every property left behind is listed as a Loss.
// Out: the same table in reverse, TEL with TYPE=home/work/fax/cell.
#pragma once

#include "store/contact_record.h"
#include "vcard.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace vcq::interop
{

enum class LossKind {
    Transliterated, // characters replaced by a cp1252 spelling or '?'
    Cut,            // text longer than the field's maximum
    ExtraPhone,     // a phone with no free phone field
    ExtraEmail,     // an e-mail after the one kept
    NoField,        // a property with no field to go to (PHOTO, URL, a second ADR, ...)
    BadBirthDate,   // a BDAY that is no valid date (import) or a stored date that is
                    // partial or impossible (export): no birth date carried
    PhoneMoved,     // a phone of one type kept in the field of another (a pager, a
                    // second mobile): detail gives the number and its type
};

// Stable English code, e.g. "transliterated", for logs and saved reports.
std::string_view lossKindName(LossKind kind);

struct Loss {
    std::optional<Field> field; // the record field concerned, if any
    LossKind kind = LossKind::NoField;
    std::string property; // the card property concerned (TEL, PHOTO, ...), if any
    std::string detail;   // UTF-8: the text as it was, or what was dropped
    friend bool operator==(const Loss &, const Loss &) = default;
};

struct MappedContact {
    ContactRecord record; // the 16 contact fields set; Birth blank when unknown
    std::vector<Loss> losses;
    int transliteratedCharacters = 0; // over all fields
    friend bool operator==(const MappedContact &, const MappedContact &) = default;
};

MappedContact cardToContact(const VCard &card);

// What every export adds by nature is not a loss: VERSION, UID, REV, PRODID.
bool isCarriedByNature(std::string_view upperName);

// The card for a contact: VERSION (by the writer), N, FN, UID always; the
// other properties only for non-empty fields. A birth date that cannot be
// exported is left out and, when losses is given, listed there.
VCard contactToCard(const ContactRecord &contact, const std::string &uid, VCardVersion version,
                    std::vector<Loss> *losses = nullptr, int currentYear = 0 /* 0: now */);

// Appends exactly what writeVCard(contactToCard(...), version) gives, without
// building the card: for exporting many contacts quickly.
void appendContactVCard(std::string &out, const ContactRecord &contact, std::string_view uid,
                        VCardVersion version, std::vector<Loss> *losses = nullptr,
                        int currentYear = 0);

// The card base with only the properties the 16 fields map to (N, FN, ORG,
// the mapped ADR, the mapped TELs, the mapped EMAIL, BDAY, the first
// CATEGORIES value, NOTE) replaced by the contact's values; every other
// property, parameter and group of base is kept, in its place.
VCard mergeContactIntoCard(const ContactRecord &contact, const VCard &base, VCardVersion version,
                           std::vector<Loss> *losses = nullptr, int currentYear = 0);

// A record from UTF-8 texts, one per field in record order, every byte
// kept as it is (blanks, line breaks); only what cp1252 cannot hold is
// transliterated and what is too long cut, each reported with its source
// (a column's name). An empty birth date is the blank one.
MappedContact textsToContact(const std::array<std::string, kContactFieldCount> &utf8,
                             const std::array<std::string_view, kContactFieldCount> &sources);

// "Last First" as UTF-8, for report rows.
std::string contactName(const ContactRecord &contact);

} // namespace vcq::interop
