# Tests of the Windows build, run under Wine by tools/run-windows-tests (make
# test-windows), which gives them a private prefix, HOME and display.
#   tests/win32/*.sh   drive Kiru.scr like the Linux end-to-end scripts
enable_testing()

file(GLOB KIRU_WINE_SCRIPTS CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tests/win32/*.sh)
foreach(script ${KIRU_WINE_SCRIPTS})
  get_filename_component(name ${script} NAME_WE)
  add_test(NAME wine.${name} COMMAND bash ${script} $<TARGET_FILE:kiru>)
  # One at a time on the suite's one display; 77: not run through the suite.
  set_tests_properties(wine.${name} PROPERTIES TIMEOUT 300 RUN_SERIAL TRUE SKIP_RETURN_CODE 77
    ENVIRONMENT "KIRU_SOURCE_DIR=${CMAKE_CURRENT_SOURCE_DIR};KIRU_BINARY_DIR=${CMAKE_BINARY_DIR}")
endforeach()

# Unit tests: GoogleTest built from Debian's own sources (package googletest). The
# programs hold the tests that are the same on both systems, and tests/win32/*.cpp
# the Win32 counterparts of those tied to X11, ALSA and the .reg store (window
# rules, the registry, wave-out, resources, WGL, dialogs from the resource script).
# Tests on the headless backend (OSMesa and window records: frames, modules, dialog
# logic, the saver procedure and run modes) run on Linux only; the code they cover
# is the same in both builds.
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

file(GLOB KIRU_TEST_SUPPORT CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tests/support/*.cpp)
file(GLOB KIRU_WIN32_TESTS CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tests/win32/*.cpp)
set(KIRU_WINDOWS_TEST_platform tests/platform/queue_test.cpp)
set(KIRU_WINDOWS_TEST_settings tests/settings/reghive_test.cpp)
set(KIRU_WINDOWS_TEST_shell tests/shell/cmdline_test.cpp tests/shell/hackflags_test.cpp)
set(KIRU_WINDOWS_TEST_sound tests/sound/source_test.cpp tests/sound/voices_test.cpp)
set(KIRU_WINDOWS_TEST_scene tests/scene/tga_test.cpp)
set(KIRU_WINDOWS_TEST_win32 ${KIRU_WIN32_TESTS})

foreach(name platform settings shell sound scene win32)
  if(NOT KIRU_WINDOWS_TEST_${name})
    continue()
  endif()
  # Each program carries the executable's resources, so that lookups find them.
  add_executable(test_${name} ${KIRU_WINDOWS_TEST_${name}} ${KIRU_TEST_SUPPORT} ${KIRU_RC_DIR}/kiru.rc)
  add_dependencies(test_${name} kiru_dialogs_rc)
  target_link_libraries(test_${name} PRIVATE kiru_system kiru_platform GTest::gtest GTest::gtest_main GTest::gmock)
  target_compile_definitions(test_${name} PRIVATE ${KIRU_GL_DEFINITIONS}
    KIRU_SOURCE_DIR="${CMAKE_CURRENT_SOURCE_DIR}" KIRU_BINARY_DIR="${CMAKE_BINARY_DIR}")
  add_test(NAME win.${name} COMMAND test_${name})
  set_tests_properties(win.${name} PROPERTIES TIMEOUT 120)
endforeach()
target_link_libraries(test_win32 PRIVATE version)  # the version information read back

# Helpers: stand-ins for the older family's password libraries (older_family.sh
# puts them beside a copy of Kiru.scr), and what holds Wine's desktop for the run
# (tools/run-windows-tests starts it).
add_executable(keepdesktop WIN32 tests/win32/helpers/keepdesktop.cpp)
foreach(library MPR.DLL PASSWORD.CPL)
  string(REPLACE "." "_" target standin_${library})
  add_library(${target} SHARED tests/win32/helpers/passwords.cpp)
  string(REGEX MATCH "^[^.]+" stem ${library})
  string(REGEX MATCH "[.][^.]+$" suffix ${library})
  set_target_properties(${target} PROPERTIES PREFIX "" OUTPUT_NAME ${stem} SUFFIX ${suffix}
    RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/standin)
  target_link_options(${target} PRIVATE -Wl,--kill-at)  # undecorated names, as the system's
endforeach()
