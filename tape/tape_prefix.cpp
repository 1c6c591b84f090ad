#include "tape/tape_prefix.h"

#include <cstdio>
#include <cstring>

void build_tape_prefix(TapePrefix& prefix)
{
    prefix = {0x13, 0x00, 0x00, 0x03, 's',  'c',  'r',  'e',  'e',  'n',  ' ',  ' ',
              ' ',  ' ',  0x00, 0x1B, 0x00, 0x40, 0x00, 0x80, 0xD4, 0x02, 0x1B, 0xFF};
}

int set_screen_name(TapePrefix& prefix, const char* name)
{
    const std::size_t length = std::strlen(name);
    if (length > 10) {
        std::printf("ERROR: Name must be 10 characters or less.\n\n");
        return -1;
    }
    std::memcpy(&prefix[4], name, length);
    std::memset(&prefix[4 + length], 0x20, 10 - length);

    std::uint8_t checksum = 0;
    for (std::size_t offset = 2; offset < 20; ++offset) {
        checksum ^= prefix[offset];
    }
    prefix[20] = checksum;
    return 0;
}
