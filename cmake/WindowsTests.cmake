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
