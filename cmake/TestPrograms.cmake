# What both builds' tests share, included by cmake/Tests.cmake and
# cmake/WindowsTests.cmake.

# tests/<folder>/*.cpp (and tests/platform/<folder>/*.cpp) become one GoogleTest
# program, test_<folder>, with tests/support/*.cpp (private HOME, sanitizer
# settings) and the extra SOURCES. A folder named after a desktop (x11, wayland,
# win32) is linked with that desktop and left out of the build that lacks it
# (`desktops` lists the build's); a folder named
# after a system (linux, windows) likewise; every other folder runs over the
# headless desktop. The files in EXCLUDE are left out. Sets <result> to the
# programs made.
set(KIRU_DESKTOPS x11 wayland win32)
set(KIRU_SYSTEMS linux windows)
function(kiru_test_programs result desktops system)
  cmake_parse_arguments(arg "" "" "EXCLUDE;SOURCES" ${ARGN})
  set(tests ${CMAKE_CURRENT_SOURCE_DIR}/tests)
  file(GLOB support CONFIGURE_DEPENDS ${tests}/support/*.cpp)
  file(GLOB dirs LIST_DIRECTORIES true CONFIGURE_DEPENDS ${tests}/* ${tests}/platform/*)
  set(programs)
  foreach(dir ${dirs})
    get_filename_component(name ${dir} NAME)
    if(NOT IS_DIRECTORY ${dir} OR name STREQUAL "support")
      continue()
    endif()
    set(backend headless)
    if(name IN_LIST KIRU_DESKTOPS)
      set(backend ${name})
    endif()
    if((name IN_LIST KIRU_DESKTOPS AND NOT name IN_LIST desktops) OR
       (name IN_LIST KIRU_SYSTEMS AND NOT name STREQUAL system))
      continue()
    endif()
    file(GLOB srcs CONFIGURE_DEPENDS ${dir}/*.cpp)
    foreach(excluded ${arg_EXCLUDE})
      list(REMOVE_ITEM srcs ${tests}/${excluded})
    endforeach()
    if(NOT srcs)
      continue()
    endif()
    add_executable(test_${name} ${srcs} ${support} ${arg_SOURCES})
    kiru_link(test_${name} ${backend} GTest::gtest GTest::gtest_main GTest::gmock)
    target_compile_definitions(test_${name} PRIVATE
      KIRU_SOURCE_DIR="${CMAKE_CURRENT_SOURCE_DIR}" KIRU_BINARY_DIR="${CMAKE_BINARY_DIR}")
    list(APPEND programs test_${name})
  endforeach()
  set(${result} ${programs} PARENT_SCOPE)
endfunction()

# tests/<folder>/*.sh: end-to-end scripts, each given the built program, as the
# tests <prefix>.<script>. They drive real X servers (and Wine) and a software
# renderer: one at a time, so that their timing does not depend on what else the
# run is doing. Status 77: a tool the script needs is missing, or the script is
# not run this way (shown as skipped, not passed).
function(kiru_script_tests prefix folder timeout)
  file(GLOB scripts CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tests/${folder}/*.sh)
  foreach(script ${scripts})
    get_filename_component(name ${script} NAME_WE)
    add_test(NAME ${prefix}.${name} COMMAND bash ${script} $<TARGET_FILE:kiru>)
    set_tests_properties(${prefix}.${name} PROPERTIES TIMEOUT ${timeout} RUN_SERIAL TRUE
      SKIP_RETURN_CODE 77
      ENVIRONMENT "KIRU_SOURCE_DIR=${CMAKE_CURRENT_SOURCE_DIR};KIRU_BINARY_DIR=${CMAKE_BINARY_DIR}")
  endforeach()
endfunction()
