# Tests of the Windows build, run under Wine by tools/run-windows-tests (make
# test-windows), which gives them a private prefix, HOME and display.
#   tests/e2e/windows/*.sh   drive Kiru.scr like the Linux end-to-end scripts
enable_testing()
include(cmake/TestPrograms.cmake)
kiru_script_tests(wine e2e/windows 300)

# Unit tests: GoogleTest built from Debian's own sources (package googletest). The
# programs are built from the same folders as on Linux, over the headless desktop
# (its off-screen context on WGL), but for tests/platform/win32/ over the real one,
# and tests/platform/windows/ in place of tests/platform/linux/. Left out below: what
# needs what only Linux has; cases that do are guarded with _WIN32 in place. Each
# program carries the executable's resources, so that lookups find them.
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

kiru_test_programs(programs win32 windows SOURCES ${KIRU_RC_DIR}/kiru.rc EXCLUDE
  scene/quadricmesh_test.cpp  # minutes of drawing even natively; the identity is the same code
  settings/settings_test.cpp    # the .reg store, shared by sessions made with fork
)
foreach(program ${programs})
  add_dependencies(${program} kiru_dialogs_rc)
  target_compile_definitions(${program} PRIVATE ${KIRU_GL_DEFINITIONS})
  string(REPLACE "test_" "win." test ${program})
  add_test(NAME ${test} COMMAND ${program})
  set_tests_properties(${test} PROPERTIES TIMEOUT 300)
endforeach()
target_link_libraries(test_windows PRIVATE version)  # the version information read back

# Helpers: stand-ins for the older family's password libraries (older_family.sh
# puts them beside a copy of Kiru.scr), and what holds Wine's desktop for the run
# (tools/run-windows-tests starts it).
add_executable(keepdesktop WIN32 tests/e2e/windows/helpers/keepdesktop.cpp)
add_executable(faulter tests/e2e/windows/helpers/fault.cpp)  # tests/e2e/windows/fault.sh
target_link_libraries(faulter PRIVATE kiru_platform)
add_executable(denykey tests/e2e/windows/helpers/denykey.cpp)  # tests/e2e/windows/installer.sh
add_executable(glchild WIN32 tests/e2e/windows/helpers/glchild.cpp)  # what Wine draws (docs/windows-installer.md)
target_link_libraries(glchild PRIVATE opengl32 gdi32)
foreach(library MPR.DLL PASSWORD.CPL)
  string(REPLACE "." "_" target standin_${library})
  add_library(${target} SHARED tests/e2e/windows/helpers/passwords.cpp)
  get_filename_component(stem ${library} NAME_WE)
  get_filename_component(suffix ${library} EXT)
  set_target_properties(${target} PROPERTIES PREFIX "" OUTPUT_NAME ${stem} SUFFIX ${suffix}
    RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/standin)
  target_link_options(${target} PRIVATE -Wl,--kill-at)  # undecorated names, as the system's
endforeach()
