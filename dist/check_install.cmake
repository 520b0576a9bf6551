# Installs the build tree BUILD_DIR with prefix /usr into the scratch DESTDIR STAGE, then checks
# that the executable, launcher entry, metainfo, manual page, copyright notice, changelog and
# every hicolor icon are there, that the first three agree on the application id and binary
# name, that each icon is a PNG of its folder's size, and that nothing was written outside the
# DESTDIR. ICON_SIZES is a comma-separated list; BINDIR, DATADIR, MANDIR and DOCDIR are the
# install folders as configured.
cmake_minimum_required(VERSION 3.25)
foreach(var BUILD_DIR STAGE APP_ID ICON_SIZES BINDIR DATADIR MANDIR DOCDIR)
  if(NOT DEFINED ${var} OR "${${var}}" STREQUAL "")
    message(FATAL_ERROR "${var} is not set")
  endif()
endforeach()
string(REPLACE "," ";" ICON_SIZES "${ICON_SIZES}")

set(problems "")
macro(problem text)
  list(APPEND problems "${text}")
endmacro()

# An install folder as it lands in the stage: relative ones go under the prefix.
function(staged out dir)
  if(IS_ABSOLUTE "${dir}")
    set(${out} "${STAGE}${dir}" PARENT_SCOPE)
  else()
    set(${out} "${STAGE}/usr/${dir}" PARENT_SCOPE)
  endif()
endfunction()

file(REMOVE_RECURSE "${STAGE}")
execute_process(COMMAND ${CMAKE_COMMAND} -E env DESTDIR=${STAGE}
                        ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix /usr
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed (${result}):\n${output}")
endif()

staged(bin "${BINDIR}")
staged(data "${DATADIR}")
set(exe "${bin}/zandor")
set(desktop "${data}/applications/${APP_ID}.desktop")
set(metainfo "${data}/metainfo/${APP_ID}.metainfo.xml")
staged(man "${MANDIR}")
staged(doc "${DOCDIR}")
foreach(file "${man}/man6/zandor.6" "${doc}/copyright" "${doc}/changelog")
  if(NOT EXISTS "${file}")
    problem("no ${file}")
  endif()
endforeach()

if(NOT EXISTS "${exe}")
  problem("no executable at ${exe}")
else()
  execute_process(COMMAND test -x "${exe}" RESULT_VARIABLE not_executable)
  if(NOT not_executable EQUAL 0)
    problem("${exe} is not executable")
  endif()
endif()

# The launcher must start the installed binary, name an icon that exists, and match the window
# class SDL gives the game (the executable's name), so the dock groups its window with it.
if(NOT EXISTS "${desktop}")
  problem("no launcher entry at ${desktop}")
else()
  file(STRINGS "${desktop}" entry)
  foreach(expected "Exec=zandor" "Icon=${APP_ID}" "StartupWMClass=zandor" "Type=Application")
    if(NOT expected IN_LIST entry)
      problem("the launcher entry lacks the line ${expected}")
    endif()
  endforeach()
endif()

if(NOT EXISTS "${metainfo}")
  problem("no metainfo at ${metainfo}")
else()
  file(READ "${metainfo}" xml)
  foreach(expected "<id>${APP_ID}</id>"
                   "<launchable type=\"desktop-id\">${APP_ID}.desktop</launchable>"
                   "<binary>zandor</binary>")
    string(FIND "${xml}" "${expected}" at)
    if(at EQUAL -1)
      problem("the metainfo lacks ${expected}")
    endif()
  endforeach()
endif()

# A PNG starts with its 8-byte signature, then the IHDR chunk: length, "IHDR", width, height.
foreach(size ${ICON_SIZES})
  set(icon "${data}/icons/hicolor/${size}x${size}/apps/${APP_ID}.png")
  if(NOT EXISTS "${icon}")
    problem("no ${size} px icon at ${icon}")
    continue()
  endif()
  file(READ "${icon}" head LIMIT 24 HEX)
  string(SUBSTRING "${head}" 0 32 magic)
  if(NOT magic STREQUAL "89504e470d0a1a0a0000000d49484452")
    problem("${icon} is not a PNG")
    continue()
  endif()
  string(SUBSTRING "${head}" 32 8 width_hex)
  string(SUBSTRING "${head}" 40 8 height_hex)
  math(EXPR width "0x${width_hex}")
  math(EXPR height "0x${height_hex}")
  if(NOT width EQUAL size OR NOT height EQUAL size)
    problem("${icon} is ${width}x${height}, not ${size}x${size}")
  endif()
endforeach()

# With a DESTDIR, every file must land inside it, under the prefix.
file(GLOB_RECURSE installed RELATIVE "${STAGE}" "${STAGE}/*")
if(NOT installed)
  problem("nothing was installed")
endif()
foreach(path ${installed})
  if(NOT path MATCHES "^usr/")
    problem("${path} was installed outside the prefix")
  endif()
endforeach()

if(problems)
  list(JOIN problems "\n  " text)
  message(FATAL_ERROR "the installed tree is incomplete:\n  ${text}")
endif()
list(LENGTH installed count)
message(STATUS "${count} files installed and checked")
