// SPDX-License-Identifier: GPL-3.0-or-later
// The program's settings and their life in the registry: read once
// when the main window is created (ReadVcqReg, which also places the
// window), written by the Options dialog, the window position written when
// the program ends. The only place that knows the registry value names.
#pragma once

#include <QPoint>

#include <cstdint>
#include <string>

class QWidget;

namespace vcq
{

class TRegApp;

struct ProgramSettings {
    bool ScreenPos = false;
    std::int32_t ScreenPosX = 0;
    std::int32_t ScreenPosY = 0;
    std::int32_t Language = 0; // 1 French, anything else English
    std::string DefCity;       // texts in the program's code page
    std::string DefState;
    std::string DefCountry;
    // A notification at start-up when a birthday is today or tomorrow.
    bool BirthdayReminder = true;

    friend bool operator==(const ProgramSettings &, const ProgramSettings &) = default;
};

// Reads every value present under the component's key into `settings`;
// absent values leave their field as it was. Throws ERegistryException; the
// values read before an error stay read. The component ends inactive.
void readProgramSettings(TRegApp &registry, ProgramSettings &settings);

// Writes "ScreenPos", "Language", "ScreenPosX", "ScreenPosY", "DefCity",
// "DefState", "DefCountry" from `settings`, "LastPath" from `lastPath`, then
// "BirthdayReminder", in that order. Throws ERegistryException; the values written before an error
// stay written. The component ends inactive.
void writeProgramSettings(TRegApp &registry, const ProgramSettings &settings,
                          const std::string &lastPath);

// readProgramSettings, then places `mainWindow` (see placement.h).
void ReadVcqReg(TRegApp &registry, ProgramSettings &settings, QWidget *mainWindow);

// Writes "ScreenPosX" and "ScreenPosY". Throws ERegistryException; the
// component ends inactive either way.
void WriteVcqPos(TRegApp &registry, QPoint topLeft);

} // namespace vcq
