# The browser build (emcmake cmake ... -DZANDOR_WEB_PREFIX=<prefix of scripts/build-web-libs>):
# the same libraries from the prefix through pkg-config, stand-ins for the threads and OpenGL
# packages, and the flags every object and the link need. `make web` drives it.
set(ZANDOR_WEB_PREFIX "" CACHE PATH "Prefix of the WebAssembly libraries (scripts/build-web-libs)")
if(NOT ZANDOR_WEB_PREFIX)
  message(FATAL_ERROR "ZANDOR_WEB_PREFIX is not set; run scripts/build-web-libs")
endif()
set(ENV{PKG_CONFIG_LIBDIR} "${ZANDOR_WEB_PREFIX}/lib/pkgconfig")
set(ENV{PKG_CONFIG_PATH} "")
list(APPEND CMAKE_FIND_ROOT_PATH "${ZANDOR_WEB_PREFIX}")

# The 2D driver of the page: "webgl" batches the frame into WebGL 1 draw calls; "legacy" is the
# fixed-function driver over emscripten's GL emulation, kept so the two can be compared.
set(ZANDOR_WEB_2D "webgl" CACHE STRING "The browser's 2D driver: webgl or legacy")
set_property(CACHE ZANDOR_WEB_2D PROPERTY STRINGS webgl legacy)
if(NOT ZANDOR_WEB_2D MATCHES "^(webgl|legacy)$")
  message(FATAL_ERROR "ZANDOR_WEB_2D must be webgl or legacy, not ${ZANDOR_WEB_2D}")
endif()
if(ZANDOR_WEB_2D STREQUAL "legacy")
  set(web_game_gl -sLEGACY_GL_EMULATION=1 -sGL_UNSAFE_OPTS=0)
else()
  set(web_game_gl -sMAX_WEBGL_VERSION=1)
endif()

# No threads (a static host sends no cross-origin isolation headers, so no SharedArrayBuffer),
# and OpenGL is the toolchain's fixed-function emulation over WebGL.
add_library(Threads::Threads INTERFACE IMPORTED)
add_library(OpenGL::GL INTERFACE IMPORTED)

# Loaders and streams report failure by exception, which the toolchain disables by default.
add_compile_options(-fexceptions)
add_link_options(-fexceptions)

# Flags of the programs that run in a page or under node; one set so the game and the
# replay tool are built alike.
set(ZANDOR_WEB_LINK_OPTIONS
    -sALLOW_MEMORY_GROWTH=1
    -sINITIAL_MEMORY=67108864
    -sTOTAL_STACK=1048576
    -sEXIT_RUNTIME=1)

# A self-built SDL2 calls two JavaScript helpers the link does not pull in by itself (audio
# open fails without them). In a file, since "$" does not survive ninja and the shell.
set(web_library_funcs "-sDEFAULT_LIBRARY_FUNCS_TO_INCLUDE=@${PROJECT_SOURCE_DIR}/cmake/web-library-funcs.json")

# The game's page program: the blocking frame loop yields to the browser through ASYNCIFY,
# and only the frame loop's path to the clock's waits can be on the stack when it does
# (cmake/web-asyncify-only.json; SDL's swap does not yield, see display_watch.cpp). A
# function missing from that list traps ("unreachable") at the first wait through it; the
# page check plays through every screen and quits. The list's human-readable names are
# those of the wasm name section; an entry that inlining removed only draws a warning.
set(web_asyncify_only "-sASYNCIFY_ONLY=@${PROJECT_SOURCE_DIR}/cmake/web-asyncify-only.json")
function(zandor_web_game target)
  target_link_options(${target} PRIVATE
    ${ZANDOR_WEB_LINK_OPTIONS}
    -sASYNCIFY=1
    ${web_asyncify_only}
    -sASYNCIFY_IMPORTS=[zandor_wait_frame]
    -sASYNCIFY_STACK_SIZE=65536
    ${web_game_gl}
    -sENVIRONMENT=web
    -sMODULARIZE=0
    -sEXPORTED_RUNTIME_METHODS=[ENV]
    ${web_library_funcs})
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS
    ${PROJECT_SOURCE_DIR}/cmake/web-asyncify-only.json)
endfunction()

# The replay tool under node: real files through NODERAWFS, no window, no audio device.
function(zandor_web_node_tool target)
  target_link_options(${target} PRIVATE ${ZANDOR_WEB_LINK_OPTIONS} -sNODERAWFS=1 -sENVIRONMENT=node
    -sLEGACY_GL_EMULATION=1 ${web_library_funcs})
endfunction()
