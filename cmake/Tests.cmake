# Tests: one GoogleTest program per folder under tests/, run by CTest.
#   tests/x11/*      link the X11 backend (they start their own Xvfb)
#   tests/<other>/*  link the headless (OSMesa) backend
#   tests/e2e/*.sh   end-to-end scripts run against the built program
#   tests/win32/*    the Windows build's (cmake/WindowsTests.cmake), not built here
# Benchmarks: one program per bench/*.cpp (headless backend, Google Benchmark available).
# Fuzz targets: fuzz/*.cpp, built only in a clang build with -DKIRU_FUZZ=ON (see `make fuzz`).
enable_testing()

if(NOT KIRU_FUZZ)
  find_package(GTest REQUIRED)
  find_package(benchmark REQUIRED)
  # tests/support/*.cpp go into every test program (private HOME, sanitizer settings).
  file(GLOB support_srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tests/support/*.cpp)
  file(GLOB test_dirs LIST_DIRECTORIES true CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tests/*)
  foreach(dir ${test_dirs})
    if(NOT IS_DIRECTORY ${dir} OR dir MATCHES "/(support|win32)$")
      continue()
    endif()
    get_filename_component(name ${dir} NAME)
    file(GLOB srcs CONFIGURE_DEPENDS ${dir}/*.cpp)
    if(srcs)
      add_executable(test_${name} ${srcs} ${support_srcs})
      if(name STREQUAL "x11")
        set(backend kiru_platform_x11)
      else()
        set(backend kiru_platform_headless)
      endif()
      target_link_libraries(test_${name} PRIVATE
        -Wl,--start-group kiru_system ${backend} kiru_platform -Wl,--end-group
        GTest::gtest GTest::gtest_main GTest::gmock)
      target_compile_definitions(test_${name} PRIVATE
        KIRU_SOURCE_DIR="${CMAKE_CURRENT_SOURCE_DIR}" KIRU_BINARY_DIR="${CMAKE_BINARY_DIR}")
      if(name STREQUAL "modules")
        # Its GL entry points are exported, so that it catches what libGLU emits.
        set_target_properties(test_${name} PROPERTIES ENABLE_EXPORTS ON)
        target_link_libraries(test_${name} PRIVATE ${CMAKE_DL_LIBS})
      endif()
      gtest_discover_tests(test_${name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 300)
    endif()
    file(GLOB scripts CONFIGURE_DEPENDS ${dir}/*.sh)
    foreach(script ${scripts})
      get_filename_component(sname ${script} NAME_WE)
      add_test(NAME ${name}.${sname} COMMAND bash ${script} $<TARGET_FILE:kiru>)
      # Scripts drive real X servers and a software renderer: one at a time, so
      # their timing does not depend on what else the run is doing. Status 77: a
      # tool the script needs is missing (shown as skipped, not passed).
      set_tests_properties(${name}.${sname} PROPERTIES TIMEOUT 600 RUN_SERIAL TRUE SKIP_RETURN_CODE 77
        ENVIRONMENT "KIRU_SOURCE_DIR=${CMAKE_CURRENT_SOURCE_DIR};KIRU_BINARY_DIR=${CMAKE_BINARY_DIR}")
    endforeach()
  endforeach()

  # Includes point down the layers (shell, ui, sound, render, scene, settings, platform).
  add_test(NAME tools.check_layers COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/tools/check-layers
    ${CMAKE_CURRENT_SOURCE_DIR})

  file(GLOB bench_srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/bench/*.cpp)
  foreach(src ${bench_srcs})
    get_filename_component(name ${src} NAME_WE)
    add_executable(bench_${name} ${src})
    target_link_libraries(bench_${name} PRIVATE
      -Wl,--start-group kiru_system kiru_platform_headless kiru_platform -Wl,--end-group
      benchmark::benchmark)
    target_compile_definitions(bench_${name} PRIVATE KIRU_SOURCE_DIR="${CMAKE_CURRENT_SOURCE_DIR}")
    # Exported, so that a benchmark's own GL entry points (bench/glcount.h) also
    # catch the calls libGLU makes.
    set_target_properties(bench_${name} PROPERTIES ENABLE_EXPORTS ON)
  endforeach()
  # Preloaded by tools/bench-side-by-side into Kiru and the hacks it compares.
  add_library(kiru_swaptrace MODULE ${CMAKE_CURRENT_SOURCE_DIR}/tools/swaptrace.c)
  target_link_libraries(kiru_swaptrace PRIVATE PkgConfig::X11 ${CMAKE_DL_LIBS})
else()
  file(GLOB fuzz_srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/fuzz/*.cpp)
  add_custom_target(fuzz_all)
  foreach(src ${fuzz_srcs})
    get_filename_component(name ${src} NAME_WE)
    add_executable(fuzz_${name} ${src})
    target_compile_options(fuzz_${name} PRIVATE -fsanitize=fuzzer,address,undefined)
    target_link_options(fuzz_${name} PRIVATE -fsanitize=fuzzer,address,undefined)
    target_link_libraries(fuzz_${name} PRIVATE
      -Wl,--start-group kiru_system kiru_platform_headless kiru_platform -Wl,--end-group)
    add_dependencies(fuzz_all fuzz_${name})
  endforeach()
endif()
