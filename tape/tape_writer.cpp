#include "tape/tape_writer.h"

#include <cstdlib>

namespace
{

[[noreturn]] void end_on_write_error(const char* output_name)
{
    std::printf("Error writing to %s...!\n", output_name);
    std::exit(1);
}

void write_body_item(std::FILE* output, const char* output_name, const void* item, std::size_t size)
{
    if (std::fwrite(item, size, 1, output) != 1) {
        end_on_write_error(output_name);
    }
}

} // namespace

void write_tape_prefix(std::FILE* output, const char* output_name, const TapePrefix& prefix)
{
    if (std::fwrite(prefix.data(), 24, 1, output) != 1) {
        std::printf("Can't write to %s...!\n", output_name);
        std::exit(1);
    }
}

void write_tape_body(std::FILE* output, const char* output_name, const DisplayFile& display,
                     std::uint8_t checksum)
{
    write_body_item(output, output_name, display.data(), 6144);

    // 768 equal attribute bytes XOR to zero, so the checksum needs no share of them. Each is
    // a write of its own, and fputc is the cheap way to hand a stream one byte.
    for (int cell = 0; cell < 768; ++cell) {
        if (std::fputc(0x38, output) == EOF) {
            end_on_write_error(output_name);
        }
    }
    write_body_item(output, output_name, &checksum, 1);
}

void close_tape(std::FILE* output, const char* output_name)
{
    if (std::fclose(output) != 0) {
        end_on_write_error(output_name);
    }
}
