#pragma once

#include <cstdint>
#include <vector>

// Pictures made by the tests themselves, as files of the one shape tapemill reads: a 62-byte
// header (a real BMP header for 256 x 192 at one bit per pixel, colour 0 black, colour 1
// white) followed by 6144 pixel bytes, the bottom line first.

// The 6144 pixel bytes of a picture whose byte k, counted in file order, holds k mod 256:
// every byte says where it came from.
std::vector<std::uint8_t> counting_pixels();

// 6144 pixel bytes drawn from a fixed seed, so that runs compare like with like.
std::vector<std::uint8_t> random_pixels(unsigned seed);

// A whole picture file: the 62-byte header, then pixels (6144 bytes).
std::vector<std::uint8_t> bitmap_file(const std::vector<std::uint8_t>& pixels);
