#pragma once

#include "screen/screen_types.h"
#include "tape/tape_prefix.h"

#include <cstdint>
#include <cstdio>

// Each write below hands whole items to the output stream. One that falls short prints its
// message naming output_name and ends the process with status 1; the exit writes out what
// the stream still holds, so the file keeps every byte handed to it before the failure.

// Writes the 24-byte prefix; a short write prints "Can't write to ...".
void write_tape_prefix(std::FILE* output, const char* output_name, const TapePrefix& prefix);

// Writes the rest of the data block: the display file, 768 attribute bytes of black INK on
// white PAPER, then checksum. A short write prints "Error writing to ...".
void write_tape_body(std::FILE* output, const char* output_name, const DisplayFile& display,
                     std::uint8_t checksum);

// Closes output, where its last buffered bytes reach the file; a failure there, such as a
// full disk, prints "Error writing to ..." and ends the process with status 1.
void close_tape(std::FILE* output, const char* output_name);
