// The installed system driver and the start-up call that installs the SDL one.
#include "engine/system/system_driver.h"

#include "engine/system/internal/sdl_system_driver.h"

namespace {

TSystemDriver idleDriver;
TSystemDriver* installed = nullptr;

}  // namespace

TSystemDriver& CurrentSystemDriver() {
    return installed ? *installed : idleDriver;
}

TSystemDriver* SetSystemDriver(TSystemDriver* driver) {
    TSystemDriver* previous = installed;
    installed = driver;
    return previous;
}

void StartSystemDriver() {
    static TSDLSystemDriver* sdlDriver = nullptr;
    if (sdlDriver) return;
    sdlDriver = new TSDLSystemDriver();  // lives for the whole process
    SetSystemDriver(sdlDriver);
}

void MoveMouse(int x, int y) {
    CurrentSystemDriver().MoveMouse(x, y);
}
void ShowMouse() {
    CurrentSystemDriver().SetMouseVisible(1);
}
void HideMouse() {
    CurrentSystemDriver().SetMouseVisible(0);
}
