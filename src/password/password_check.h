// SPDX-License-Identifier: GPL-3.0-or-later
// The start-up password check with the real dialog, for the main window's
// loader: called after the header record is read and before any contact.
#pragma once

#include "password_state.h"

namespace vcq
{

class TfrmPasswordDlg;

// Sets the password state from the header and, when the file is protected,
// shows the dialog modally. False means it was cancelled: load no contact
// and end the program.
bool passwordCheckPasses(PasswordState &state, const ContactRecord &header,
                         TfrmPasswordDlg &dialog);

} // namespace vcq
