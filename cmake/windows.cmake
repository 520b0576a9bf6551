# The Windows build (configured with cmake/windows-toolchain.cmake; `make windows` drives it
# through scripts/windows-build): what every object and program needs beyond the libraries'
# own flags. cmake/windows_targets.cmake gives the programs their subsystem and resources.
enable_language(RC)

# windows.h defines min and max as macros unless told not to, which breaks std::min/std::max.
add_compile_definitions(NOMINMAX)

# SDL's package gives every program that links it the GUI subsystem (-mwindows) and SDL's own
# WinMain, which renames main (-Dmain=SDL_main) to call it after turning the command line into
# UTF-8. The game reads no command line and keeps its own main, and the replay tool is a
# console program, so both go, and each program names its subsystem itself.
get_target_property(sdl_link_options PkgConfig::SDL2 INTERFACE_LINK_OPTIONS)
if(sdl_link_options)
  list(REMOVE_ITEM sdl_link_options -mwindows)
  set_target_properties(PkgConfig::SDL2 PROPERTIES INTERFACE_LINK_OPTIONS "${sdl_link_options}")
endif()
get_target_property(sdl_compile_options PkgConfig::SDL2 INTERFACE_COMPILE_OPTIONS)
if(sdl_compile_options)
  list(REMOVE_ITEM sdl_compile_options -Dmain=SDL_main)
  set_target_properties(PkgConfig::SDL2 PROPERTIES INTERFACE_COMPILE_OPTIONS "${sdl_compile_options}")
endif()
get_target_property(sdl_libraries PkgConfig::SDL2 INTERFACE_LINK_LIBRARIES)
list(FILTER sdl_libraries EXCLUDE REGEX "SDL2main")
set_target_properties(PkgConfig::SDL2 PROPERTIES INTERFACE_LINK_LIBRARIES "${sdl_libraries}")
