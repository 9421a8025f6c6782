# Cross-building for Windows with Debian's MinGW-w64 (posix thread model, so that
# std::thread works), statically, with the codecs that tools/install-windows-deps
# built into /opt/kiru-mingw/<triplet>. Tests run under Wine.
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake
#         [-DKIRU_MINGW_TRIPLET=x86_64-w64-mingw32]
set(CMAKE_SYSTEM_NAME Windows)
if(NOT KIRU_MINGW_TRIPLET)
  set(KIRU_MINGW_TRIPLET i686-w64-mingw32)
endif()
set(KIRU_MINGW_TRIPLET ${KIRU_MINGW_TRIPLET} CACHE STRING "MinGW-w64 target")
set(KIRU_MINGW_ROOT /opt/kiru-mingw CACHE PATH "where the cross-built codecs are")
if(KIRU_MINGW_TRIPLET MATCHES "^x86_64")
  set(CMAKE_SYSTEM_PROCESSOR AMD64)
else()
  set(CMAKE_SYSTEM_PROCESSOR x86)
endif()

set(CMAKE_C_COMPILER ${KIRU_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KIRU_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${KIRU_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${KIRU_MINGW_TRIPLET} ${KIRU_MINGW_ROOT}/${KIRU_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# CTest runs the test programs through Wine; tools/run-windows-tests gives it a
# private prefix and display.
find_program(KIRU_WINE wine)
if(KIRU_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${KIRU_WINE})
endif()
