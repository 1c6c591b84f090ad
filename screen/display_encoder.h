#pragma once

#include "screen/screen_types.h"

#include <cstdint>

// Fills all 6144 bytes of display in the Spectrum's screen memory order, each the complement
// of its byte in rows, and XORs every display byte into checksum. Touches no file.
void encode_display_file(const PixelRows& rows, DisplayFile& display, std::uint8_t& checksum);
