// SPDX-License-Identifier: GPL-3.0-or-later
#include "password_state.h"

#include "scrambler.h"

namespace vcq
{

namespace
{
constexpr std::string_view kProtectedFlag = "1";
constexpr std::string_view kUnprotectedFlag = "0";
} // namespace

void readPasswordHeader(PasswordState &state, const ContactRecord &header)
{
    state.CurrentPassword = Decode(header.get(Field::Password));
    state.PasswordChanged = false;
    state.PasswordProtected = Decode(header.get(Field::Protection)) == kProtectedFlag;
}

void setHeaderPassword(ContactRecord &header, std::string_view password)
{
    // ContactRecord::set cuts to the field's maximum of 30.
    header.set(Field::Password, Encode(password));
}

void setHeaderProtection(ContactRecord &header, bool on)
{
    header.set(Field::Protection, Encode(on ? kProtectedFlag : kUnprotectedFlag));
}

bool isConfirmationMode(const PasswordState &state)
{
    return state.PasswordChanged;
}

bool passwordAccepted(const PasswordState &state, std::string_view typed)
{
    if (isConfirmationMode(state))
        return typed == state.PendingPassword;
    return typed == state.CurrentPassword || Decode(Encode(typed)) == state.CurrentPassword;
}

bool startupCheckPasses(PasswordState &state, const ContactRecord &header,
                        const std::function<void()> &askPassword)
{
    readPasswordHeader(state, header);
    if (!state.PasswordProtected) {
        state.PasswordDialogCancelled = false;
        return true;
    }
    // Whatever way the question ends, only an explicit match lets loading go on.
    state.PasswordDialogCancelled = true;
    if (askPassword)
        askPassword();
    return !state.PasswordDialogCancelled;
}

} // namespace vcq
