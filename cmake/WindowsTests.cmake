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

# Unit tests: GoogleTest built from Debian's own sources (package googletest). Each
# tests/<dir> program but x11 is built from the same files as on Linux, over the
# headless backend (its off-screen context on WGL), less the files below that need
# what only Linux has (fork and wait, the .reg files of its store, ALSA); cases that
# do are guarded with _WIN32 in place. tests/win32/*.cpp are the Win32 counterparts
# (window rules, the registry, wave-out, resources, WGL, dialogs from the resource
# script), over the real backend.
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

file(GLOB KIRU_TEST_SUPPORT CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tests/support/*.cpp)
set(KIRU_LINUX_ONLY_TESTS
  modules/mesh_identity_test.cpp  # minutes of drawing even natively; the identity is the same code
  dialogs/launch_test.cpp         # programs started with fork and reaped with waitpid
  settings/regstore_test.cpp      # the .reg store (tests/win32/registry_test.cpp here)
  settings/settings_test.cpp      # the .reg store, shared by sessions made with fork
  sound/waveout_test.cpp          # ALSA (tests/win32/waveout_test.cpp here)
)
file(GLOB KIRU_TEST_DIRS LIST_DIRECTORIES true CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tests/*)
list(FILTER KIRU_TEST_DIRS EXCLUDE REGEX "/(support|x11)$")
foreach(dir ${KIRU_TEST_DIRS})
  if(NOT IS_DIRECTORY ${dir})
    continue()
  endif()
  get_filename_component(name ${dir} NAME)
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tests/${name}/*.cpp)
  foreach(excluded ${KIRU_LINUX_ONLY_TESTS})
    list(REMOVE_ITEM srcs ${CMAKE_CURRENT_SOURCE_DIR}/tests/${excluded})
  endforeach()
  if(NOT srcs)
    continue()
  endif()
  if(name STREQUAL "win32")
    set(backend kiru_platform_win32)
  else()
    set(backend kiru_platform_headless)
  endif()
  # Each program carries the executable's resources, so that lookups find them.
  add_executable(test_${name} ${srcs} ${KIRU_TEST_SUPPORT} ${KIRU_RC_DIR}/kiru.rc)
  add_dependencies(test_${name} kiru_dialogs_rc)
  target_link_libraries(test_${name} PRIVATE
    -Wl,--start-group kiru_system ${backend} kiru_platform -Wl,--end-group
    GTest::gtest GTest::gtest_main GTest::gmock)
  target_compile_definitions(test_${name} PRIVATE ${KIRU_GL_DEFINITIONS}
    KIRU_SOURCE_DIR="${CMAKE_CURRENT_SOURCE_DIR}" KIRU_BINARY_DIR="${CMAKE_BINARY_DIR}")
  add_test(NAME win.${name} COMMAND test_${name})
  set_tests_properties(win.${name} PROPERTIES TIMEOUT 300)
endforeach()
target_link_libraries(test_win32 PRIVATE version)  # the version information read back

# Helpers: stand-ins for the older family's password libraries (older_family.sh
# puts them beside a copy of Kiru.scr), and what holds Wine's desktop for the run
# (tools/run-windows-tests starts it).
add_executable(keepdesktop WIN32 tests/win32/helpers/keepdesktop.cpp)
add_executable(faulter tests/win32/helpers/fault.cpp)  # tests/win32/fault.sh
target_link_libraries(faulter PRIVATE kiru_platform)
add_executable(denykey tests/win32/helpers/denykey.cpp)  # tests/win32/installer.sh
add_executable(glchild WIN32 tests/win32/helpers/glchild.cpp)  # what Wine draws (docs/windows-installer.md)
target_link_libraries(glchild PRIVATE opengl32 gdi32)
foreach(library MPR.DLL PASSWORD.CPL)
  string(REPLACE "." "_" target standin_${library})
  add_library(${target} SHARED tests/win32/helpers/passwords.cpp)
  string(REGEX MATCH "^[^.]+" stem ${library})
  string(REGEX MATCH "[.][^.]+$" suffix ${library})
  set_target_properties(${target} PROPERTIES PREFIX "" OUTPUT_NAME ${stem} SUFFIX ${suffix}
    RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/standin)
  target_link_options(${target} PRIVATE -Wl,--kill-at)  # undecorated names, as the system's
endforeach()
