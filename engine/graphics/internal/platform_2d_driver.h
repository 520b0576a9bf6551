// The 2D driver a platform draws the game with, installed when the graphics modules start:
// platform/<name>/ supplies it (desktop OpenGL: the fixed-function driver).
#pragma once

class TTela2DDriver;

TTela2DDriver* PlatformTela2DDriver();
