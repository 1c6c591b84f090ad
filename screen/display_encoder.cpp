#include "screen/display_encoder.h"

void encode_display_file(const PixelRows& rows, DisplayFile& display, std::uint8_t& checksum)
{
    // Screen memory holds three thirds of 64 lines. Within a third it runs through pixel line 0
    // of its eight character rows, then pixel line 1 of them, and so on to pixel line 7.
    auto out = display.begin();
    for (int third = 0; third < 3; ++third) {
        for (int line_in_cell = 0; line_in_cell < 8; ++line_in_cell) {
            for (int cell_row = 0; cell_row < 8; ++cell_row) {
                const int line = 64 * third + 8 * cell_row + line_in_cell;
                auto in = rows.begin() + 32 * line;
                for (int column = 0; column < 32; ++column) {
                    // A set bit in the picture is PAPER on the Spectrum, a clear one INK.
                    *out = static_cast<std::uint8_t>(~in[column]);
                    checksum ^= *out;
                    ++out;
                }
            }
        }
    }
}
