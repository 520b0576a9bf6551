# The platform being built for. Each engine library keeps what differs between platforms in
# platform/<name>/, one folder per platform; the build takes the one folder of its platform
# and nothing else from platform/. platform/headless/ is not a platform the game runs on: it
# holds the fakes (virtual input, recording drivers) that the replay tool, the benchmarks and
# the tests run the game on, built beside the real platform in every build.
if(EMSCRIPTEN)
  set(ZANDOR_PLATFORM web)
elseif(WIN32)
  set(ZANDOR_PLATFORM windows)
else()
  set(ZANDOR_PLATFORM linux)
endif()

# The sources of the engine library in the current folder: its own files, the same on every
# platform, and those of platform/${ZANDOR_PLATFORM}/.
function(zandor_library_sources var)
  file(GLOB files CONFIGURE_DEPENDS *.cpp *.S platform/${ZANDOR_PLATFORM}/*.cpp)
  set(${var} ${files} PARENT_SCOPE)
endfunction()

# The headless platform's library of the engine library in the current folder, named
# zandor_headless_<library>, linking the given libraries. Built only when something uses it.
function(zandor_headless_library library)
  file(GLOB files CONFIGURE_DEPENDS platform/headless/*.cpp)
  add_library(zandor_headless_${library} STATIC EXCLUDE_FROM_ALL ${files})
  target_link_libraries(zandor_headless_${library} PUBLIC ${ARGN})
endfunction()
