# Platform files. web_*.cpp serve only the browser build, where they stand in for the Linux
# files listed here; everything else is built the same for both.
set(ZANDOR_LINUX_ONLY_SOURCES monotonic_clock.cpp sdl_x11_pump.cpp sdl_audio_output.cpp
                              gl_platform.cpp openal_library.cpp
                              display_watch_x11.cpp)

# Drops from the list in `var` the files the platform being built does not use.
function(zandor_platform_sources var)
  set(files ${${var}})
  if(EMSCRIPTEN)
    foreach(name ${ZANDOR_LINUX_ONLY_SOURCES})
      list(FILTER files EXCLUDE REGEX "/${name}$")
    endforeach()
  else()
    list(FILTER files EXCLUDE REGEX "/web_[^/]*$")
  endif()
  set(${var} ${files} PARENT_SCOPE)
endfunction()
