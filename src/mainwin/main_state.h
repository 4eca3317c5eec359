// SPDX-License-Identifier: GPL-3.0-or-later
// The program-wide state the main window keeps and its dialogs share: the
// command flags, the settings, the status list, the header image and the
// outcome of the start-up password check.
#pragma once

#include "filter_entries.h"
#include "password/password_state.h"
#include "settings/program_settings.h"
#include "store/contact_record.h"

#include <QString>

#include <cstdint>

namespace vcq
{

struct MainState {
    // Kept equal to the enabled state of SaveBut, TrashBut and PrintBut.
    bool SaveEnabled = false;
    bool DeleteEnabled = false;
    bool PrintEnabled = false;
    // The data file is open and must be closed at the end.
    bool FileOpen = false;
    // The form holds a new contact that Save must add.
    bool AddingNew = false;
    // The access password values, shared with the Options and password dialogs.
    PasswordState Password;

    vcq::ProgramSettings ProgramSettings;
    FilterEntries filterEntries;
    // Record 0 as read, or as last written.
    ContactRecord headerImage;
};

} // namespace vcq
