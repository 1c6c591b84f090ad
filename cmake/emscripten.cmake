# Build for the browser, as WebAssembly, with Debian's Emscripten:
#   cmake -S . -B build-web -DCMAKE_TOOLCHAIN_FILE=cmake/emscripten.cmake
include(/usr/share/emscripten/cmake/Modules/Platform/Emscripten.cmake)
