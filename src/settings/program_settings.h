// The program's seven settings and their life in the registry: read once
// when the main window is created (ReadVcqReg, which also places the
// window), the window position written when the program ends.
#pragma once

#include <QPoint>

#include <cstdint>
#include <string>

class QWidget;
class TRegApp;

namespace vcq
{

struct ProgramSettings {
    bool ScreenPos = false;
    std::int32_t ScreenPosX = 0;
    std::int32_t ScreenPosY = 0;
    std::int32_t Language = 0; // 1 French, anything else English
    std::string DefCity;       // texts in the program's code page
    std::string DefState;
    std::string DefCountry;

    friend bool operator==(const ProgramSettings &, const ProgramSettings &) = default;
};

// Reads every value present under the component's key into `settings`;
// absent values leave their field as it was. Throws ERegistryException; the
// values read before an error stay read. The component ends inactive.
void readProgramSettings(TRegApp &registry, ProgramSettings &settings);

// readProgramSettings, then places `mainWindow` (see placement.h).
void ReadVcqReg(TRegApp &registry, ProgramSettings &settings, QWidget *mainWindow);

// Writes "ScreenPosX" and "ScreenPosY". Throws ERegistryException; the
// component ends inactive either way.
void WriteVcqPos(TRegApp &registry, QPoint topLeft);

// For the ends of the program: writes the main window's position and, should
// that fail, shows the error in a message box and returns all the same, so
// the caller goes on to close the data file and end.
void saveWindowPositionAtExit(TRegApp &registry, QWidget *mainWindow);

} // namespace vcq
