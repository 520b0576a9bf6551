// The installed system driver (StartSystemDriver, which installs the SDL one, lives with it).
#include "engine/system/system_driver.h"

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

void MoveMouse(int x, int y) {
    CurrentSystemDriver().MoveMouse(x, y);
}
void ShowMouse() {
    CurrentSystemDriver().SetMouseVisible(1);
}
void HideMouse() {
    CurrentSystemDriver().SetMouseVisible(0);
}
