#include "program_settings.h"

#include "message_boxes.h"
#include "placement.h"
#include "reg_app.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace vcq
{

void readProgramSettings(TRegApp &registry, ProgramSettings &settings)
{
    RegAppActivation activation(registry);
    if (registry.HasValue("ScreenPos"))
        settings.ScreenPos = registry.ReadBoolValue("ScreenPos");
    if (registry.HasValue("Language"))
        settings.Language = registry.ReadIntegerValue("Language");
    if (registry.HasValue("ScreenPosX"))
        settings.ScreenPosX = registry.ReadIntegerValue("ScreenPosX");
    if (registry.HasValue("ScreenPosY"))
        settings.ScreenPosY = registry.ReadIntegerValue("ScreenPosY");
    if (registry.HasValue("DefCity"))
        settings.DefCity = registry.ReadStringValue("DefCity");
    if (registry.HasValue("DefState"))
        settings.DefState = registry.ReadStringValue("DefState");
    if (registry.HasValue("DefCountry"))
        settings.DefCountry = registry.ReadStringValue("DefCountry");
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
    registry.WriteIntegerValue("ScreenPosX", topLeft.x());
    registry.WriteIntegerValue("ScreenPosY", topLeft.y());
}

void saveWindowPositionAtExit(TRegApp &registry, QWidget *mainWindow)
{
    try {
        WriteVcqPos(registry, mainWindow->pos());
    } catch (const ERegistryException &e) {
        showPlainMessage(mainWindow, QString::fromStdString(e.what()));
    }
}

} // namespace vcq
