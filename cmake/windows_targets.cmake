# Windows targets: the game as a stripped GUI program with its resources (icon, manifest,
# version information), the replay tool as a console program over the headless platform, and
# the release zip (target zandor-zip) that a player unzips and runs.
target_link_libraries(zandor_system PRIVATE winmm)  # timeBeginPeriod, the clock's fallback

set(ZANDOR_VERSION_PATCH 0)
if(PROJECT_VERSION_PATCH)
  set(ZANDOR_VERSION_PATCH ${PROJECT_VERSION_PATCH})
endif()
set(ZANDOR_VERSION_COMMAS "${PROJECT_VERSION_MAJOR},${PROJECT_VERSION_MINOR},${ZANDOR_VERSION_PATCH},0")
set(ZANDOR_VERSION_QUAD "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${ZANDOR_VERSION_PATCH}.0")
set(windows_dist ${PROJECT_SOURCE_DIR}/dist/windows)
set(ZANDOR_WINDOWS_ICON ${windows_dist}/zandor.ico)
set(ZANDOR_WINDOWS_MANIFEST ${CMAKE_BINARY_DIR}/zandor.manifest)
configure_file(${windows_dist}/zandor.manifest.in ${ZANDOR_WINDOWS_MANIFEST} @ONLY)
configure_file(${windows_dist}/zandor.rc.in ${CMAKE_BINARY_DIR}/zandor.rc @ONLY)
# windres reads the icon and the manifest itself; the build does not see them as inputs.
set_property(SOURCE ${CMAKE_BINARY_DIR}/zandor.rc APPEND PROPERTY OBJECT_DEPENDS
             ${ZANDOR_WINDOWS_ICON} ${ZANDOR_WINDOWS_MANIFEST})
target_sources(zandor PRIVATE ${CMAKE_BINARY_DIR}/zandor.rc)
# No console window; a player's copy carries no symbols.
set_target_properties(zandor PROPERTIES WIN32_EXECUTABLE ON)
target_link_options(zandor PRIVATE -s)

add_subdirectory(tools/replay)

set(zip ${CMAKE_BINARY_DIR}/zandor-${PROJECT_VERSION}-win64.zip)
add_custom_command(
  OUTPUT ${zip}
  COMMAND ${CMAKE_COMMAND} -DEXE=$<TARGET_FILE:zandor> -DREADME=${windows_dist}/README.txt.in
          -DLICENSE=${PROJECT_SOURCE_DIR}/LICENSE -DVERSION=${PROJECT_VERSION}
          -DSTAGE=${CMAKE_BINARY_DIR}/zip-stage -DZIP=${zip}
          -P ${windows_dist}/make_zip.cmake
  DEPENDS zandor ${windows_dist}/README.txt.in ${PROJECT_SOURCE_DIR}/LICENSE
          ${windows_dist}/make_zip.cmake
  COMMENT "Packing zandor-${PROJECT_VERSION}-win64.zip")
add_custom_target(zandor-zip ALL DEPENDS ${zip})
