#include "support/expected_tape.h"

namespace
{

std::uint8_t xor_of(std::vector<std::uint8_t>::const_iterator first,
                    std::vector<std::uint8_t>::const_iterator last)
{
    std::uint8_t sum = 0;
    for (; first != last; ++first) {
        sum ^= *first;
    }
    return sum;
}

} // namespace

int display_offset(int y, int x)
{
    return 2048 * (y / 64) + 256 * (y % 8) + 32 * ((y / 8) % 8) + x;
}

std::vector<std::uint8_t> expected_tape(const std::vector<std::uint8_t>& picture_file,
                                        const std::string& name)
{
    std::vector<std::uint8_t> header = {0x00, 0x03};
    std::string padded = name + std::string(10 - name.size(), ' ');
    header.insert(header.end(), padded.begin(), padded.end());
    header.insert(header.end(), {0x00, 0x1B, 0x00, 0x40, 0x00, 0x80});
    header.push_back(xor_of(header.begin(), header.end()));

    std::vector<std::uint8_t> data(1 + 6912, 0x38);
    data[0] = 0xFF;
    for (int y = 0; y < 192; ++y) {
        for (int x = 0; x < 32; ++x) {
            const std::uint8_t file_byte = picture_file[62 + 32 * (191 - y) + x];
            data[1 + display_offset(y, x)] = static_cast<std::uint8_t>(~file_byte);
        }
    }
    data.push_back(xor_of(data.begin(), data.end()));

    std::vector<std::uint8_t> tape = {19, 0};
    tape.insert(tape.end(), header.begin(), header.end());
    tape.insert(tape.end(), {0x02, 0x1B});
    tape.insert(tape.end(), data.begin(), data.end());
    return tape;
}
