#include "screen/display_encoder.h"

#include <cstddef>

void encode_display_file(const PixelRows& rows, DisplayFile& display, std::uint8_t& checksum)
{
    // Kept apart from the caller's byte, which the compiler must otherwise assume the display
    // writes may change, so that each line's loop can run on whole vector registers.
    std::uint8_t sum = checksum;

    // Screen memory holds three thirds of 64 lines. Within a third it runs through pixel line 0
    // of its eight character rows, then pixel line 1 of them, and so on to pixel line 7.
    std::size_t out = 0;
    for (std::size_t third = 0; third < 3; ++third) {
        for (std::size_t line_in_cell = 0; line_in_cell < 8; ++line_in_cell) {
            for (std::size_t cell_row = 0; cell_row < 8; ++cell_row) {
                const std::size_t line = (64 * third) + (8 * cell_row) + line_in_cell;
                for (std::size_t column = 0; column < 32; ++column) {
                    // A set bit in the picture is PAPER on the Spectrum, a clear one INK.
                    const auto byte = static_cast<std::uint8_t>(~rows[(32 * line) + column]);
                    display[out + column] = byte;
                    sum ^= byte;
                }
                out += 32;
            }
        }
    }
    checksum = sum;
}
