// The program-wide state the main window keeps and its dialogs share: the
// command flags, the settings, the status list, the header image and the
// outcome of the start-up password check.
#pragma once

#include "filter_entries.h"
#include "password_state.h"
#include "store/contact_record.h"

#include <QString>

#include <cstdint>

namespace vcq
{

// The user's settings. Defaults until the settings are read from their store.
struct MainSettings {
    bool ScreenPos = false;
    std::int32_t ScreenPosX = 0;
    std::int32_t ScreenPosY = 0;
    std::int32_t Language = 0; // 1 French, else English
    QString DefCity;
    QString DefState;
    QString DefCountry;

    friend bool operator==(const MainSettings &, const MainSettings &) = default;
};

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

    MainSettings ProgramSettings;
    FilterEntries filterEntries;
    // Record 0 as read, or as last written.
    ContactRecord headerImage;
};

} // namespace vcq
