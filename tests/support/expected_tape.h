#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The tape image that a picture file must turn into, worked out from the picture's side: each
// picture line y and column x is placed at its screen memory offset, and both checksums are
// taken over the finished blocks. picture_file must hold at least 6206 bytes.
std::vector<std::uint8_t> expected_tape(const std::vector<std::uint8_t>& picture_file,
                                        const std::string& name = "screen");

// The screen memory offset of picture line y (0 at the top), column x.
int display_offset(int y, int x);
