// Carries a file inside the executable. Include this header from an assembler file (.S,
// which goes through the C preprocessor) and write one line per file:
//
//     #include "engine/system/incbin.h"
//     ZANDOR_INCBIN(player_png, "assets/graphics/player.png")
//
// The path is found through the include directories (the repository root), since the
// compiler hands them on to the assembler. That defines the global symbols player_png_start
// and player_png_end around the file's bytes in read-only data. On the C++ side declare them
// with ZANDOR_INCBIN_DECLARE(player_png); and register them with
// RegisterIncbinFile("assets/graphics/player.png", player_png_start, player_png_end).
// The assembler does not report the included file as a dependency: after changing an
// embedded file, touch the .S file (or give it OBJECT_DEPENDS) so it is assembled again.
#pragma once

#ifdef __ASSEMBLER__

// clang-format off
#if defined(__wasm__)
// The WebAssembly object format gives every data symbol its own section and a size.
#define ZANDOR_INCBIN(name, file)               \
    .section .rodata.name,"",@;                 \
    .balign 16;                                 \
    .global name##_start;                       \
    .global name##_end;                         \
    name##_start:                               \
    .incbin file;                               \
    name##_end:                                 \
    .size name##_start, name##_end - name##_start; \
    .size name##_end, 0
#elif defined(_WIN32)
// PE/COFF: read-only data lives in .rdata ("d" data, "r" read-only), and there is no GNU-stack
// note to give.
#define ZANDOR_INCBIN(name, file)               \
    .section .rdata,"dr";                       \
    .balign 16;                                 \
    .global name##_start;                       \
    .global name##_end;                         \
    name##_start:                               \
    .incbin file;                               \
    name##_end:
#else
// The GNU-stack note keeps the linker from asking for an executable stack; repeating it
// per file is harmless and cannot be forgotten.
#define ZANDOR_INCBIN(name, file)               \
    .section .rodata;                           \
    .balign 16;                                 \
    .global name##_start;                       \
    .global name##_end;                         \
    name##_start:                               \
    .incbin file;                               \
    name##_end:                                 \
    .section .note.GNU-stack, "", @progbits
#endif
// clang-format on

#else

#include <string>

#include "engine/system/stream.h"

#define ZANDOR_INCBIN_DECLARE(name) extern "C" const unsigned char name##_start[], name##_end[]

// Registers the bytes between two ZANDOR_INCBIN symbols under `name`; see
// RegisterEmbeddedFile for the result.
inline int RegisterIncbinFile(const std::string& name, const unsigned char* start,
                              const unsigned char* end) {
    return RegisterEmbeddedFile(name, start, static_cast<int>(end - start));
}

#endif
