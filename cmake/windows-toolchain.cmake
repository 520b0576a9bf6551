# The 64-bit Windows build, cross-compiled with Debian's mingw-w64:
#   cmake -DCMAKE_TOOLCHAIN_FILE=cmake/windows-toolchain.cmake \
#         -DZANDOR_WINDOWS_PREFIX=<prefix printed by scripts/build-windows-libs> ...
# The libraries come from that prefix alone (through pkg-config, static), programs from the
# host. scripts/build-windows-libs builds the libraries with this same file, so a change to
# the flags here wants its recipe number bumped.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

# The posix thread model: std::thread and std::mutex work (over winpthreads), which the
# win32 model of this GCC does not give.
set(ZANDOR_WINDOWS_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${ZANDOR_WINDOWS_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZANDOR_WINDOWS_TRIPLET}-g++-posix)
set(CMAKE_ASM_COMPILER ${ZANDOR_WINDOWS_TRIPLET}-gcc-posix)
set(CMAKE_RC_COMPILER ${ZANDOR_WINDOWS_TRIPLET}-windres)

set(ZANDOR_WINDOWS_PREFIX "" CACHE PATH "Prefix of the Windows libraries (scripts/build-windows-libs)")
# The compiler checks run in projects of their own, which see only the variables named here.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES ZANDOR_WINDOWS_PREFIX)
if(NOT ZANDOR_WINDOWS_PREFIX)
  message(FATAL_ERROR "ZANDOR_WINDOWS_PREFIX is not set; run scripts/build-windows-libs")
endif()
# pkg-config's answers stay in the cache, so a build folder configured for one prefix would go
# on linking that prefix's libraries after being pointed at another.
if(DEFINED CACHE{ZANDOR_WINDOWS_PREFIX_CONFIGURED}
   AND NOT ZANDOR_WINDOWS_PREFIX_CONFIGURED STREQUAL ZANDOR_WINDOWS_PREFIX)
  message(FATAL_ERROR "ZANDOR_WINDOWS_PREFIX changed from ${ZANDOR_WINDOWS_PREFIX_CONFIGURED} "
                      "to ${ZANDOR_WINDOWS_PREFIX}; configure this folder again with --fresh")
endif()
set(ZANDOR_WINDOWS_PREFIX_CONFIGURED ${ZANDOR_WINDOWS_PREFIX} CACHE INTERNAL "")

# Libraries, headers and packages from the prefix first, then from the toolchain's own tree
# (Windows' import libraries); never the host's.
set(CMAKE_FIND_ROOT_PATH ${ZANDOR_WINDOWS_PREFIX} /usr/${ZANDOR_WINDOWS_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# pkg-config sees only the prefix's .pc files, and always answers for a static link: the
# prefix holds nothing else, and without --static SDL2's list of Windows libraries is lost.
set(ENV{PKG_CONFIG_LIBDIR} "${ZANDOR_WINDOWS_PREFIX}/lib/pkgconfig")
set(ENV{PKG_CONFIG_PATH} "")
set(ENV{PKG_CONFIG_SYSROOT_DIR} "")
set(PKG_CONFIG_ARGN --static CACHE STRING "Arguments to supply to pkg-config")

# The libraries' headers are other people's code: kept out of -Wall -Werror (vorbisfile.h
# defines static callbacks it never uses). Targets that take them through pkg-config's
# imported targets get them as system headers anyway; this covers a plain #include too.
set(CMAKE_C_STANDARD_INCLUDE_DIRECTORIES ${ZANDOR_WINDOWS_PREFIX}/include)
set(CMAKE_CXX_STANDARD_INCLUDE_DIRECTORIES ${ZANDOR_WINDOWS_PREFIX}/include)

# mingw's <math.h> hides M_PI and its kin under strict ISO C++ (-std=c++20, no GNU
# extensions) unless asked for them, as with Microsoft's headers.
set(CMAKE_C_FLAGS_INIT "-D_USE_MATH_DEFINES")
set(CMAKE_CXX_FLAGS_INIT "-D_USE_MATH_DEFINES")

# One self-contained .exe: libgcc, libstdc++ and winpthread linked in, so it needs only
# Windows' own DLLs and msvcrt.dll.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
