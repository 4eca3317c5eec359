// SPDX-License-Identifier: GPL-3.0-or-later
#include "program_settings.h"

#include "placement.h"
#include "reg_app.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace vcq
{

namespace
{

constexpr const char *kScreenPos = "ScreenPos";
constexpr const char *kLanguage = "Language";
constexpr const char *kScreenPosX = "ScreenPosX";
constexpr const char *kScreenPosY = "ScreenPosY";
constexpr const char *kDefCity = "DefCity";
constexpr const char *kDefState = "DefState";
constexpr const char *kDefCountry = "DefCountry";
constexpr const char *kLastPath = "LastPath";
// Absent from the settings of earlier versions: the reminder is then on.
constexpr const char *kBirthdayReminder = "BirthdayReminder";

} // namespace

void readProgramSettings(TRegApp &registry, ProgramSettings &settings)
{
    RegAppActivation activation(registry);
    if (registry.HasValue(kScreenPos))
        settings.ScreenPos = registry.ReadBoolValue(kScreenPos);
    if (registry.HasValue(kLanguage))
        settings.Language = registry.ReadIntegerValue(kLanguage);
    if (registry.HasValue(kScreenPosX))
        settings.ScreenPosX = registry.ReadIntegerValue(kScreenPosX);
    if (registry.HasValue(kScreenPosY))
        settings.ScreenPosY = registry.ReadIntegerValue(kScreenPosY);
    if (registry.HasValue(kDefCity))
        settings.DefCity = registry.ReadStringValue(kDefCity);
    if (registry.HasValue(kDefState))
        settings.DefState = registry.ReadStringValue(kDefState);
    if (registry.HasValue(kDefCountry))
        settings.DefCountry = registry.ReadStringValue(kDefCountry);
    if (registry.HasValue(kBirthdayReminder))
        settings.BirthdayReminder = registry.ReadBoolValue(kBirthdayReminder);
}

void writeProgramSettings(TRegApp &registry, const ProgramSettings &settings,
                          const std::string &lastPath)
{
    RegAppActivation activation(registry);
    registry.WriteBoolValue(kScreenPos, settings.ScreenPos);
    registry.WriteIntegerValue(kLanguage, settings.Language);
    registry.WriteIntegerValue(kScreenPosX, settings.ScreenPosX);
    registry.WriteIntegerValue(kScreenPosY, settings.ScreenPosY);
    registry.WriteStringValue(kDefCity, settings.DefCity);
    registry.WriteStringValue(kDefState, settings.DefState);
    registry.WriteStringValue(kDefCountry, settings.DefCountry);
    registry.WriteStringValue(kLastPath, lastPath);
    registry.WriteBoolValue(kBirthdayReminder, settings.BirthdayReminder);
}

void ReadVcqReg(TRegApp &registry, ProgramSettings &settings, QWidget *mainWindow)
{
    readProgramSettings(registry, settings);
    if (!mainWindow)
        return;
    QList<QRect> screens;
    for (const QScreen *s : QGuiApplication::screens())
        screens.append(s->geometry());
    const QScreen *primary = QGuiApplication::primaryScreen();
    const QRect primaryRect = primary ? primary->geometry() : QRect();
    // By the outer rectangle, as the position is stored, before the window first shows.
    placeFrame(mainWindow, [&](const QSize &outer) {
        return initialMainWindowPosition(settings, outer, primaryRect, screens);
    });
}

void WriteVcqPos(TRegApp &registry, QPoint topLeft)
{
    RegAppActivation activation(registry);
    registry.WriteIntegerValue(kScreenPosX, topLeft.x());
    registry.WriteIntegerValue(kScreenPosY, topLeft.y());
}

} // namespace vcq
