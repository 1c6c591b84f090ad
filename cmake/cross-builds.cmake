# The program cross-built from the same sources for other systems, each in a folder of the
# build's own and rebuilt whenever the build is, with the toolchain file of its name in cmake/:
#   windows/tapemill.exe   64-bit Windows, with MinGW-w64         TAPEMILL_WINDOWS
#   arm64/tapemill         64-bit Arm Linux (Raspberry Pi 3 on)   TAPEMILL_ARM
#   armhf/tapemill         32-bit Arm Linux (Raspberry Pi 2 on)   TAPEMILL_ARM
#   web/tapemill-converter.html
#                          the browser page, with the program as   TAPEMILL_WEB
#                          WebAssembly inside it, with Emscripten
include(ExternalProject)

# Adds the target tapemill_<name>, which builds with the toolchain file cmake/<toolchain>.cmake
# and its compiler into <build>/<name>, and leaves the path of its program in output_variable.
function(tapemill_cross_build name toolchain compiler program output_variable)
  find_program(${name}_COMPILER ${compiler})
  if(NOT ${name}_COMPILER)
    message(FATAL_ERROR "${compiler} not found: the ${name} build needs it "
      "(scripts/install-deps installs it)")
  endif()
  ExternalProject_Add(tapemill_${name}
    SOURCE_DIR ${PROJECT_SOURCE_DIR}
    BINARY_DIR ${PROJECT_BINARY_DIR}/${name}
    CMAKE_ARGS
      -DCMAKE_TOOLCHAIN_FILE=${PROJECT_SOURCE_DIR}/cmake/${toolchain}.cmake
      -DCMAKE_BUILD_TYPE=Release -DTAPEMILL_TESTS=OFF -DTAPEMILL_WINDOWS=OFF -DTAPEMILL_ARM=OFF
      -DTAPEMILL_WEB=OFF
    BUILD_ALWAYS ON
    BUILD_BYPRODUCTS ${PROJECT_BINARY_DIR}/${name}/${program}
    INSTALL_COMMAND "")
  set(${output_variable} ${PROJECT_BINARY_DIR}/${name}/${program} PARENT_SCOPE)
endfunction()

if(TAPEMILL_WINDOWS)
  tapemill_cross_build(windows mingw-w64-x86_64 x86_64-w64-mingw32-g++ tapemill.exe
    TAPEMILL_WINDOWS_EXE)
endif()
if(TAPEMILL_ARM)
  tapemill_cross_build(arm64 aarch64-linux-gnu aarch64-linux-gnu-g++ tapemill TAPEMILL_ARM64_PROGRAM)
  tapemill_cross_build(armhf arm-linux-gnueabihf arm-linux-gnueabihf-g++ tapemill
    TAPEMILL_ARMHF_PROGRAM)
endif()
if(TAPEMILL_WEB)
  tapemill_cross_build(web emscripten em++ tapemill-converter.html TAPEMILL_WEB_PAGE)
endif()
