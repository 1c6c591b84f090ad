#pragma once

#include <array>
#include <cstdint>

// The first 24 bytes of the tape image: the whole 19-byte header block with its length, then
// the data block's length and flag byte, so that only the 6912 screen bytes and the data
// block's checksum have to follow.
//
//   0  13 00          header block length, 19
//   2  00             flag: header
//   3  03             type: CODE
//   4  10 bytes       screen name, padded with spaces
//  14  00 1B          data length, 6912
//  16  00 40          load address, 16384
//  18  00 80          second parameter, 32768
//  20  checksum       XOR of bytes 2 to 19
//  21  02 1B          data block length, 6914
//  23  FF             flag: data
using TapePrefix = std::array<std::uint8_t, 24>;

// Stores the default prefix, named "screen", with its checksum 0xD4.
void build_tape_prefix(TapePrefix& prefix);

// Stores name (NUL-terminated, up to 10 bytes, taken byte for byte) padded with spaces, and the
// header checksum that goes with it; returns 0. A longer name prints "ERROR: Name must be 10
// characters or less." and returns -1 with prefix unchanged.
int set_screen_name(TapePrefix& prefix, const char* name);
