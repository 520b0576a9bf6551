// Desktop OpenGL draws with the fixed-function driver, one immediate-mode primitive a call.
#include "engine/graphics/internal/platform_2d_driver.h"

#include "engine/graphics/internal/gl_tela2d_driver.h"

TTela2DDriver* PlatformTela2DDriver() {
    return GLTela2DDriver();
}
