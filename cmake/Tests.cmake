# Tests: one GoogleTest program per folder under tests/ (cmake/TestPrograms.cmake),
# run by CTest; tests/e2e/*.sh are end-to-end scripts run against the built program.
# Benchmarks: one program per bench/*.cpp (headless backend, Google Benchmark available).
# Fuzz targets: fuzz/*.cpp, built only in a clang build with -DKIRU_FUZZ=ON (see `make fuzz`).
enable_testing()
include(cmake/TestPrograms.cmake)

if(NOT KIRU_FUZZ)
  find_package(GTest REQUIRED)
  find_package(benchmark REQUIRED)
  kiru_test_programs(programs "x11;wayland" linux)
  foreach(program ${programs})
    gtest_discover_tests(${program} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 300)
  endforeach()
  # The idle watch's tests play the compositor.
  pkg_check_modules(WAYLAND_SERVER REQUIRED IMPORTED_TARGET wayland-server)
  kiru_wayland_server_headers(test_wayland staging/ext-idle-notify/ext-idle-notify-v1.xml idle.xml)
  target_link_libraries(test_wayland PRIVATE PkgConfig::WAYLAND_SERVER)
  # Its GL entry points are exported, so that it catches what libGLU emits.
  set_target_properties(test_scene PROPERTIES ENABLE_EXPORTS ON)
  target_link_libraries(test_scene PRIVATE ${CMAKE_DL_LIBS})
  kiru_script_tests(e2e e2e 600)
  # tests/e2e/wayland.sh moves the pointer with it, tests/e2e/wayland_kwin.sh types with it.
  kiru_wayland_protocols(kiru_virtual_pointer_protocol wlr-virtual-pointer-unstable-v1.xml fake-input.xml)
  add_executable(virtual_pointer tests/e2e/helpers/virtual_pointer.c)
  target_link_libraries(virtual_pointer PRIVATE kiru_virtual_pointer_protocol)
  # tests/e2e/watch_sway.sh keeps the session awake with it, as a video player does.
  kiru_wayland_protocols(kiru_idle_inhibit_protocol unstable/idle-inhibit/idle-inhibit-unstable-v1.xml)
  add_executable(idle_inhibitor tests/e2e/helpers/idle_inhibitor.c)
  target_link_libraries(idle_inhibitor PRIVATE kiru_idle_inhibit_protocol kiru_wayland_protocols)
  # tests/e2e/watch_x11.sh keeps the session awake with it, as a video player would.
  add_executable(inhibit_client tests/e2e/helpers/inhibit_client.c)
  target_link_libraries(inhibit_client PRIVATE PkgConfig::DBUS)
  # Preloaded by tests/e2e/preview_host.sh.
  add_library(kiru_gone_drawable MODULE tests/e2e/helpers/gone_drawable.c)
  target_link_libraries(kiru_gone_drawable PRIVATE PkgConfig::X11 ${CMAKE_DL_LIBS})

  # Includes point down the layers (shell, ui, sound, render, scene, settings, platform).
  add_test(NAME tools.check_layers COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/tools/check-layers
    ${CMAKE_CURRENT_SOURCE_DIR})
  # The README's header table names every file that implements a platform header.
  add_test(NAME tools.check_platform_table COMMAND python3
    ${CMAKE_CURRENT_SOURCE_DIR}/tools/check-platform-table ${CMAKE_CURRENT_SOURCE_DIR})

  file(GLOB bench_srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/bench/*.cpp)
  foreach(src ${bench_srcs})
    get_filename_component(name ${src} NAME_WE)
    add_executable(bench_${name} ${src})
    kiru_link(bench_${name} headless benchmark::benchmark)
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
    kiru_link(fuzz_${name} headless)
    add_dependencies(fuzz_all fuzz_${name})
  endforeach()
endif()
