# Packs the Windows release: zandor.exe, README.txt and LICENSE.txt with Windows line endings
# (Notepad before Windows 10 1809 shows a file with bare line feeds as one line), at the top of
# the zip (Explorer's "Extract All" makes the folder), with fixed time stamps so the same build
# packs to the same bytes.
#   cmake -DEXE=... -DREADME=... -DLICENSE=... -DVERSION=... -DSTAGE=... -DZIP=... -P make_zip.cmake
cmake_minimum_required(VERSION 3.25)
file(REMOVE_RECURSE ${STAGE})
file(MAKE_DIRECTORY ${STAGE})
file(COPY_FILE ${EXE} ${STAGE}/zandor.exe)

function(write_crlf source target)
  file(READ ${source} text)
  string(REPLACE "\r\n" "\n" text "${text}")
  string(REPLACE "@VERSION@" "${VERSION}" text "${text}")
  string(REPLACE "\n" "\r\n" text "${text}")
  file(WRITE ${target} "${text}")
endfunction()
write_crlf(${README} ${STAGE}/README.txt)
write_crlf(${LICENSE} ${STAGE}/LICENSE.txt)

# Info-ZIP's zip with -X stores neither owners nor access times, only the fixed time given to
# each file here (as local DOS time, hence UTC throughout).
file(REMOVE ${ZIP})
set(files zandor.exe README.txt LICENSE.txt)
execute_process(COMMAND ${CMAKE_COMMAND} -E env TZ=UTC touch -d "2000-01-01 00:00:00" ${files}
                WORKING_DIRECTORY ${STAGE} RESULT_VARIABLE touched)
execute_process(COMMAND ${CMAKE_COMMAND} -E env TZ=UTC zip -q -X -9 ${ZIP} ${files}
                WORKING_DIRECTORY ${STAGE} RESULT_VARIABLE result)
if(NOT touched EQUAL 0 OR NOT result EQUAL 0)
  message(FATAL_ERROR "packing ${ZIP} failed (is zip installed? scripts/install-deps windows)")
endif()
