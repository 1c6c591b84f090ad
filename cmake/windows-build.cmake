# tapemill.exe, cross-built from the same sources with MinGW-w64 in the build's windows/
# folder, and rebuilt whenever the build is.
find_program(MINGW_CXX x86_64-w64-mingw32-g++)
if(NOT MINGW_CXX)
  message(FATAL_ERROR "x86_64-w64-mingw32-g++ not found: the Windows build needs MinGW-w64 "
    "(scripts/install-deps installs it), or configure with -DTAPEMILL_WINDOWS=OFF")
endif()

include(ExternalProject)
set(TAPEMILL_WINDOWS_EXE ${PROJECT_BINARY_DIR}/windows/tapemill.exe)
ExternalProject_Add(tapemill_windows
  SOURCE_DIR ${PROJECT_SOURCE_DIR}
  BINARY_DIR ${PROJECT_BINARY_DIR}/windows
  CMAKE_ARGS
    -DCMAKE_TOOLCHAIN_FILE=${PROJECT_SOURCE_DIR}/cmake/mingw-w64-x86_64.cmake
    -DCMAKE_BUILD_TYPE=Release -DTAPEMILL_TESTS=OFF -DTAPEMILL_WINDOWS=OFF
  BUILD_ALWAYS ON
  BUILD_BYPRODUCTS ${TAPEMILL_WINDOWS_EXE}
  INSTALL_COMMAND "")
