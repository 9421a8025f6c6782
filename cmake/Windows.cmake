# The Windows build, included by CMakeLists.txt when cross-building with
# cmake/mingw-w64.cmake: the same system code over platform/windows/ and
# platform/win32/, one static GUI executable, Kiru.scr, whose resources a generated
# resource script binds.
enable_language(RC)
find_path(VORBIS_INCLUDE_DIR vorbis/vorbisfile.h REQUIRED)
find_library(VORBISFILE_LIBRARY vorbisfile REQUIRED)
find_library(VORBIS_LIBRARY vorbis REQUIRED)
find_library(OGG_LIBRARY ogg REQUIRED)
find_package(Threads REQUIRED)

# Single-precision arithmetic rounds at every step, as on x86_64: with the x87
# unit, float sums kept at 80 bits would turn a swing or wrap an object one step
# off at the exact limits (4.8f + 0.2f is 5 only in single precision). SSE, not
# SSE2: doubles stay on the x87, and CPUs back to the Pentium III run the saver.
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86")
  add_compile_options(-msse -mfpmath=sse)
endif()

# Every Windows since XP SP3: the loader of XP takes a file that asks for subsystem
# 5.01, and the headers refuse the program's code what came later (the tests may use
# it). tests/e2e/windows/imports.sh checks the imports against the list of what XP has.
set(KIRU_XP_DEFINITIONS _WIN32_WINNT=0x0501 WINVER=0x0501)
add_link_options(-Wl,--major-subsystem-version,5,--minor-subsystem-version,1
  -Wl,--major-os-version,5,--minor-os-version,1)

# Nothing but the system's own DLLs: the C++ runtime, winpthreads and the codecs
# go into the executable.
add_link_options(-static $<$<CONFIG:Release,MinSizeRel>:-s>)

# kiru_platform: portable/ and the system's services in windows/; the desktop is
# win32/ for Kiru.scr and headless/ (its context from wgl/) for the tests.
kiru_platform_folders(PLATFORM_SRC portable windows)
kiru_platform_folders(PLATFORM_WIN32_SRC win32)
kiru_platform_folders(PLATFORM_HEADLESS_SRC headless headless/wgl standin)
add_library(kiru_platform STATIC ${PLATFORM_SRC})
target_include_directories(kiru_platform PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(kiru_platform PUBLIC
  opengl32 glu32 winmm comctl32 shell32 advapi32 gdi32 user32 Threads::Threads)
add_library(kiru_platform_win32 STATIC ${PLATFORM_WIN32_SRC})
target_link_libraries(kiru_platform_win32 PUBLIC kiru_platform)
add_library(kiru_platform_headless STATIC ${PLATFORM_HEADLESS_SRC})
target_link_libraries(kiru_platform_headless PUBLIC kiru_platform)

add_library(kiru_system STATIC ${SYSTEM_SRC})
target_include_directories(kiru_system PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_include_directories(kiru_system SYSTEM PUBLIC ${VORBIS_INCLUDE_DIR})
target_link_libraries(kiru_system PUBLIC kiru_platform ${VORBISFILE_LIBRARY} ${VORBIS_LIBRARY} ${OGG_LIBRARY})
# What MinGW's GL headers would otherwise take from windows.h, whose macros would
# rename the platform interface's own names in the system's code.
set(KIRU_GL_DEFINITIONS "WINGDIAPI=__declspec(dllimport)" APIENTRY=__stdcall CALLBACK=__stdcall)
target_compile_definitions(kiru_system PRIVATE ${KIRU_GL_DEFINITIONS})
set_source_files_properties(platform/headless/headless_glsurface.cpp PROPERTIES COMPILE_DEFINITIONS "${KIRU_GL_DEFINITIONS}")

# The dialogs of the resource script, written by a host program from the tables
# the Linux build lays its dialogs out from.
find_program(KIRU_HOST_CXX NAMES g++ c++ REQUIRED)
set(KIRU_RC_DIR ${CMAKE_CURRENT_BINARY_DIR}/rc)
set(KIRU_RCGEN ${CMAKE_CURRENT_BINARY_DIR}/host/rcgen)
set(KIRU_RCGEN_SRC tools/rcgen/rcgen.cpp ui/dialog_templates.cpp)
add_custom_command(OUTPUT ${KIRU_RCGEN}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/host
  COMMAND ${KIRU_HOST_CXX} -std=c++20 -Wall -Wextra -I${CMAKE_CURRENT_SOURCE_DIR} ${KIRU_RCGEN_SRC} -o ${KIRU_RCGEN}
  WORKING_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}
  DEPENDS ${KIRU_RCGEN_SRC} ui/dialog_templates.h platform/dialog.h platform/win.h
  COMMENT "Building the host tool rcgen" VERBATIM)
add_custom_command(OUTPUT ${KIRU_RC_DIR}/dialogs.rc
  COMMAND ${CMAKE_COMMAND} -E make_directory ${KIRU_RC_DIR}
  COMMAND ${KIRU_RCGEN} > ${KIRU_RC_DIR}/dialogs.rc
  DEPENDS ${KIRU_RCGEN}
  COMMENT "Writing the dialogs of the resource script")
set(KIRU_RESOURCES ${CMAKE_CURRENT_SOURCE_DIR}/resources)
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86")
  set(KIRU_MANIFEST_ARCH x86)
else()
  set(KIRU_MANIFEST_ARCH amd64)
endif()
configure_file(platform/windows/kiru.manifest.in ${KIRU_RC_DIR}/kiru.manifest @ONLY)
configure_file(platform/windows/kiru.rc.in ${KIRU_RC_DIR}/kiru.rc @ONLY)
set_source_files_properties(${KIRU_RC_DIR}/kiru.rc PROPERTIES OBJECT_DEPENDS
  "${KIRU_RC_DIR}/dialogs.rc;${KIRU_RC_DIR}/kiru.manifest;${KIRU_RESOURCES}/TGA/107.tga;${KIRU_RESOURCES}/RCDATA/TESTOGG.ogg;${KIRU_RESOURCES}/BITMAP/106.bmp;${KIRU_RESOURCES}/ICON/104.ico")
add_custom_target(kiru_dialogs_rc DEPENDS ${KIRU_RC_DIR}/dialogs.rc)

add_executable(kiru WIN32 shell/main.cpp ${KIRU_RC_DIR}/kiru.rc)
add_dependencies(kiru kiru_dialogs_rc)
set_target_properties(kiru PROPERTIES OUTPUT_NAME Kiru SUFFIX .scr)
kiru_link(kiru win32)

# Kiru-Setup.exe: the installer (NSIS), built with the saver.
find_program(KIRU_MAKENSIS makensis REQUIRED)
set(KIRU_SETUP_SCRIPT ${CMAKE_CURRENT_SOURCE_DIR}/platform/windows/setup.nsi)
set(KIRU_SETUP_SIDE ${CMAKE_CURRENT_SOURCE_DIR}/platform/windows/setup_side.bmp)
add_custom_command(OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/Kiru-Setup.exe
  COMMAND ${KIRU_MAKENSIS} -V2 -DVERSION=${PROJECT_VERSION} -DSCR=$<TARGET_FILE:kiru>
    -DICON=${KIRU_RESOURCES}/ICON/104.ico -DSIDE=${KIRU_SETUP_SIDE}
    -DOUTFILE=${CMAKE_CURRENT_BINARY_DIR}/Kiru-Setup.exe ${KIRU_SETUP_SCRIPT}
  DEPENDS kiru ${KIRU_SETUP_SCRIPT} ${KIRU_RESOURCES}/ICON/104.ico ${KIRU_SETUP_SIDE}
  COMMENT "Building the installer Kiru-Setup.exe" VERBATIM)
add_custom_target(kiru_setup ALL DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/Kiru-Setup.exe)

foreach(target kiru kiru_system kiru_platform kiru_platform_win32 kiru_platform_headless)
  target_compile_definitions(${target} PRIVATE ${KIRU_XP_DEFINITIONS})
endforeach()

include(cmake/WindowsTests.cmake)
