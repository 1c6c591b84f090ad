#pragma once

#include "screen/screen_types.h"

#include <cstdio>

// Reads the picture's 62 header bytes into header_scratch, where nothing looks at them, then
// the 6144 pixel bytes that follow into file_rows, printing "Reading bitmap data..." between
// the two reads. A short read prints its message naming input_name and ends the process with
// status 1.
void read_bitmap(std::FILE* input, const char* input_name, BitmapRows& file_rows,
                 PixelRows& header_scratch);

// Prints "Sorting bitmap data..." and stores the file's lines in rows, the top line first.
void flip_rows(const BitmapRows& file_rows, PixelRows& rows);
