// The browser's page is the display: it cannot go away under a running game, but its WebGL
// context can (a phone discarding a background tab's GPU memory, a GPU reset).
//
// A lost context is restored only when the page asks for it (by cancelling the loss event);
// when it comes back, every object in it is gone. The toolchain's fixed-function emulation
// then needs its shader programs and vertex buffers made again, and it still believes the
// old buffers are bound (the batching WebGL driver makes its own objects again when it sees
// its program gone); after that the graphics module makes every texture again and re-sends
// the render state. Frames drawn while the context is lost draw nothing.
#include <SDL.h>
#include <emscripten.h>

#include "engine/graphics/internal/display_watch.h"
#include "engine/graphics/internal/gl_image_frame.h"

// SDL's buffer swap would hand the browser its turn after every present (a zero sleep, from
// a timer): the frame's wait on the clock does that already, on the display's own frame, and
// only the frame loop's call path can unwind.
std::string DisplayUnavailable() {
    SDL_SetHint(SDL_HINT_EMSCRIPTEN_ASYNCIFY, "0");
    return "";
}

std::string UnreachableDisplay(const std::string&) {
    return "cannot reach any display";
}

std::uintptr_t NativeWindowId(SDL_Window*) {
    return 0;
}

void WatchForLostDisplay(bool (*)(std::uintptr_t)) {
    EM_ASM({
        var canvas = Module.canvas;
        if (!canvas || canvas.zandorWatched) return;
        canvas.zandorWatched = true;
        canvas.addEventListener(
            'webglcontextlost', function(e) { e.preventDefault(); }, false);
        canvas.addEventListener(
            'webglcontextrestored',
            function() {
                if (typeof GLImmediate != 'undefined' && GLImmediate.initted) {
                    GLImmediate.rendererCache = GLImmediate.MapTreeLib.create();
                    GLImmediate.currentRenderer = null;
                    GLImmediate.lastRenderer = null;
                    GLImmediate.lastArrayBuffer = null;
                    GLImmediate.lastProgram = null;
                    GLImmediate.lastStride = -1;
                    GLImmediate.fixedFunctionProgram = null;
                }
                if (GL.currentContext && typeof GL.generateTempBuffers == 'function') {
                    GL.currArrayBuffer = 0;
                    GL.currElementArrayBuffer = 0;
                    GL.currProgram = 0;
                    GLctx.currentArrayBufferBinding = null;
                    GLctx.currentElementArrayBufferBinding = null;
                    GL.generateTempBuffers(true, GL.currentContext);
                }
                Module._zandor_graphics_restored();
            },
            false);
    });
}

extern "C" EMSCRIPTEN_KEEPALIVE void zandor_graphics_restored() {
    GraphicsContextRestored();
}
