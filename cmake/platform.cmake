# The platform being built for. Each engine library keeps what differs between platforms in
# platform/<name>/, one folder per platform; the build takes the folder of its platform and
# nothing else from platform/, except platform/desktop/: the code that Linux and Windows share
# (desktop OpenGL, SDL's windows and threads) and the browser does not, which includes no
# operating system's own header. platform/headless/ is not a platform the game runs on: it
# holds the fakes (virtual input, recording drivers) that the replay tool, the benchmarks and
# the tests run the game on, built beside the real platform in every build.
if(EMSCRIPTEN)
  set(ZANDOR_PLATFORM web)
  set(ZANDOR_PLATFORM_FOLDERS web)
elseif(WIN32)
  set(ZANDOR_PLATFORM windows)
  set(ZANDOR_PLATFORM_FOLDERS windows desktop)
else()
  set(ZANDOR_PLATFORM linux)
  set(ZANDOR_PLATFORM_FOLDERS linux desktop)
endif()

# The sources of the engine library in the current folder: its own files, the same on every
# platform, and those of its platform's folders.
function(zandor_library_sources var)
  set(patterns *.cpp *.S)
  foreach(folder ${ZANDOR_PLATFORM_FOLDERS})
    list(APPEND patterns platform/${folder}/*.cpp)
  endforeach()
  file(GLOB files CONFIGURE_DEPENDS ${patterns})
  set(${var} ${files} PARENT_SCOPE)
endfunction()

# The headless platform's library of the engine library in the current folder, named
# zandor_headless_<library>, linking the given libraries. Built only when something uses it.
function(zandor_headless_library library)
  file(GLOB files CONFIGURE_DEPENDS platform/headless/*.cpp)
  add_library(zandor_headless_${library} STATIC EXCLUDE_FROM_ALL ${files})
  target_link_libraries(zandor_headless_${library} PUBLIC ${ARGN})
endfunction()
