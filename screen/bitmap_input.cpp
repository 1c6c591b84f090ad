#include "screen/bitmap_input.h"

#include <algorithm>
#include <cstdlib>

void read_bitmap(std::FILE* input, const char* input_name, BitmapRows& file_rows,
                 PixelRows& header_scratch)
{
    // The headers are assumed to be those of a 256 x 192 one-bit picture, never checked.
    if (std::fread(header_scratch.data(), 62, 1, input) != 1) {
        std::printf("Can't read from %s...!\n", input_name);
        std::exit(1);
    }
    std::printf("Reading bitmap data...\n");
    if (std::fread(file_rows.data(), 6144, 1, input) != 1) {
        std::printf("Read error in %s...!\n", input_name);
        std::exit(1);
    }
}

void flip_rows(const BitmapRows& file_rows, PixelRows& rows)
{
    std::printf("Sorting bitmap data...\n");
    auto source = file_rows.end();
    for (auto line = rows.begin(); line != rows.end(); line += 32) {
        source -= 32;
        std::copy_n(source, 32, line);
    }
}
