// Loads a tape as LOAD "" SCREEN$ does, through the Spectrum ROM's own loader, for tests in
// other languages: tapemill_rom_load <rom> <tape> <loaded>
// writes the 17 header bytes and the 6912 screen bytes the ROM loaded to <loaded>, and ends
// with status 0 when both blocks loaded, 1 when either was refused, 2 on a usage or file error.
#include "rom/tape_deck.h"

#include <cstdio>
#include <exception>

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s <rom> <tape> <loaded>\n", argv[0]);
        return 2;
    }
    try {
        const ScreenLoad load = load_screen(argv[1], argv[2]);
        std::FILE* loaded = std::fopen(argv[3], "wb");
        if (loaded == nullptr || std::fwrite(load.header.data(), 1, 17, loaded) != 17 ||
            std::fwrite(load.screen.data(), 1, 6912, loaded) != 6912 || std::fclose(loaded) != 0) {
            std::fprintf(stderr, "cannot write %s\n", argv[3]);
            return 2;
        }
        return load.header_loaded && load.data_loaded ? 0 : 1;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 2;
    }
}
