// SPDX-License-Identifier: GPL-3.0-or-later
// The access password values shared by the loader, the Options dialog and the
// password dialog, and the header fields that carry them in the data file.
// Plain C++: the windows use it, it knows nothing of them.
#pragma once

#include "store/contact_record.h"

#include <functional>
#include <string>
#include <string_view>

namespace vcq
{

struct PasswordState {
    std::string CurrentPassword;          // plain text, as loaded or as last confirmed
    bool PasswordProtected = false;       // the header says: ask at start-up
    bool PasswordChanged = false;         // a new password awaits confirmation
    std::string PendingPassword;          // that new password
    bool PasswordDialogCancelled = false; // last run of the dialog ended without a match

    friend bool operator==(const PasswordState &, const PasswordState &) = default;
};

// The loading step: the password and protection flag from the header record.
void readPasswordHeader(PasswordState &state, const ContactRecord &header);

// Header image fields, scrambled and cut to the field's 30 characters.
void setHeaderPassword(ContactRecord &header, std::string_view password);
void setHeaderProtection(ContactRecord &header, bool on);

// The password the dialog asks for: the pending one while a change awaits
// confirmation, otherwise the current one.
bool isConfirmationMode(const PasswordState &state);
// Whether the typed text opens the dialog. A confirmation must repeat the new
// password exactly. At start-up the stored password is what scrambling kept
// of the one the user chose (10 characters, no outer blanks), so the text is
// accepted when it is that password or reduces to it the same way: the
// password exactly as chosen keeps working after a restart.
bool passwordAccepted(const PasswordState &state, std::string_view typed);

// The start-up check, between reading the header and reading the contacts:
// sets the state from the header and, when the file is protected, calls
// askPassword, which must leave its outcome in PasswordDialogCancelled.
// False means the password was not given and loading must stop.
bool startupCheckPasses(PasswordState &state, const ContactRecord &header,
                        const std::function<void()> &askPassword);

} // namespace vcq
