#pragma once

#include <array>
#include <cstdint>

// The 6144 pixel bytes of a 256 x 192 one-bit picture: 192 lines of 32 bytes, the most
// significant bit of each byte its leftmost pixel. The three names say which order a buffer
// holds them in; one buffer may hold each order in turn.
using ScreenBytes = std::array<std::uint8_t, 6144>;

// As stored in the picture file: the bottom line first, bits as in the file.
using BitmapRows = ScreenBytes;

// The top line first, bits as in the file.
using PixelRows = ScreenBytes;

// The Spectrum's screen memory order, loaded at 16384, every byte inverted.
using DisplayFile = ScreenBytes;
