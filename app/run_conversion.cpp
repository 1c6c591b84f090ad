#include "app/run_conversion.h"

#include "app/same_file.h"
#include "screen/bitmap_input.h"
#include "screen/display_encoder.h"
#include "screen/screen_types.h"
#include "tape/tape_prefix.h"
#include "tape/tape_writer.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace
{

void print_banner()
{
    std::printf("\n\nTAPEMILL version 1.1\n");
    std::printf("Turns a 256 x 192 one-bit BMP picture\n");
    std::printf("into a ZX Spectrum tape image that\n");
    std::printf("loads with LOAD \"\" SCREEN$\n\n");
}

[[noreturn]] void show_usage()
{
    std::printf("Usage : TAPEMILL <bitmap file input> <tape file output> [screen name]\n");
    std::printf("Example : TAPEMILL jetset.bmp jetset.tap jetset\n\n");
    std::exit(0);
}

// The buffer a stream moves its bytes through, owned by the run.
using StreamBuffer = std::array<char, 4096>;

std::FILE* open_stream(const char* name, const char* mode, StreamBuffer& buffer)
{
    std::FILE* stream = std::fopen(name, mode);
    if (stream == nullptr) {
        std::printf("Error opening %s...!\n", name);
        std::exit(1);
    }
    // Given no buffer, the C library picks its own size (glibc: the file system's block size),
    // and with it the points at which bytes reach the file. With this one they reach it in 4096-
    // byte steps everywhere. Should the platform turn the request down, its own buffer serves.
    static_cast<void>(std::setvbuf(stream, buffer.data(), _IOFBF, 4096));
    return stream;
}

// Opening the output truncates it, so a tape named like its own picture would destroy the
// picture before a byte of it was read. The open picture itself is compared with the tape's
// name, so that another spelling of the path, a hard link or a symbolic link is caught, and so
// is a picture renamed to the tape's name after it was opened.
void refuse_overwriting_input(std::FILE* input, const char* output_name)
{
    if (names_open_file(input, output_name)) {
        std::printf("Can't overwrite input file %s...!\n", output_name);
        std::exit(1);
    }
}

} // namespace

int run_conversion(int argc, char** argv)
{
    TapePrefix prefix;
    BitmapRows file_rows; // later the display file
    PixelRows pixel_rows; // first the scratch for the picture's headers
    std::uint8_t checksum = 0xFF;
    StreamBuffer input_buffer;  // in use until the streams are closed, or written out at exit:
    StreamBuffer output_buffer; // both happen before the run returns

    // 1. Start from the default header and announce the program.
    build_tape_prefix(prefix);
    print_banner();

    // 2. Take the screen name and check the arguments before any file is touched.
    if (argc == 4 && set_screen_name(prefix, argv[3]) != 0) {
        show_usage();
    }
    if (argc < 3 || argc > 4) {
        show_usage();
    }
    const char* input_name = argv[1];
    const char* output_name = argv[2];
    std::printf("Converting %s to %s....\n", input_name, output_name);

    // 3. Open the picture, make sure the tape is another file, create it and write its header.
    std::FILE* input = open_stream(input_name, "rb", input_buffer);
    refuse_overwriting_input(input, output_name);
    std::FILE* output = open_stream(output_name, "wb", output_buffer);
    write_tape_prefix(output, output_name, prefix);

    // 4. Read the picture and put its lines top first.
    read_bitmap(input, input_name, file_rows, pixel_rows);
    flip_rows(file_rows, pixel_rows);

    // 5. Encode the screen into the buffer that the file's lines came in.
    std::printf("Creating Spectrum Screen...\n");
    DisplayFile& display = file_rows;
    encode_display_file(pixel_rows, display, checksum);

    // 6. Write the rest of the data block, then close, where a full disk shows up.
    std::printf("Writing TAP file...\n");
    write_tape_body(output, output_name, display, checksum);
    static_cast<void>(std::fclose(input)); // only read from: nothing to lose at its close
    close_tape(output, output_name);

    std::printf("\nConversion done...!\n");
    return 0;
}
