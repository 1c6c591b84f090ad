#include "screen/bitmap_input.h"

#include <algorithm>
#include <cstddef>
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
    for (std::size_t line = 0; line < 192; ++line) {
        std::copy_n(&file_rows[32 * (191 - line)], 32, &rows[32 * line]);
    }
}
