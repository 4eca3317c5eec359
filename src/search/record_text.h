// SPDX-License-Identifier: GPL-3.0-or-later
// The searchable text of a contact read straight from its record: the bytes
// appendContactText makes of its fields, in one pass over the record's
// layout. A search of a million records spends most of its time here.
#pragma once

#include "search_query.h"
#include "store/contact_record.h"

#include <cstddef>
#include <string>

namespace vcq::search
{

// The room recordTextInto needs: it may write a few bytes past the text it makes.
extern const std::size_t kRecordTextRoom;

// What of a contact's searchable text a search needs made.
struct TextForm {
    // False: the fields as written, for a query whose words are all
    // foundUnfolded(): the same matches, without the folding.
    bool folded = true;
    // False: no phones' digits, for a query none of whose words is a phone
    // number: only such a word can be found among them.
    bool phoneDigits = true;
};

// Writes the searchable text of a contact; answers its end.
char *recordTextInto(char *out, const ContactRecord &record, TextForm form = {});
void appendRecordText(std::string &out, const ContactRecord &record);

} // namespace vcq::search
