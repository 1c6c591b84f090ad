#include "support/bitmap_fixture.h"

#include <random>

namespace
{

void put_le(std::vector<std::uint8_t>& bytes, std::uint32_t value, int size)
{
    for (int i = 0; i < size; ++i) {
        bytes.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    }
}

} // namespace

std::vector<std::uint8_t> counting_pixels()
{
    std::vector<std::uint8_t> pixels(6144);
    for (std::size_t k = 0; k < pixels.size(); ++k) {
        pixels[k] = static_cast<std::uint8_t>(k % 256);
    }
    return pixels;
}

std::vector<std::uint8_t> random_pixels(unsigned seed)
{
    std::mt19937 generator(seed);
    std::vector<std::uint8_t> pixels(6144);
    for (auto& byte : pixels) {
        byte = static_cast<std::uint8_t>(generator());
    }
    return pixels;
}

std::vector<std::uint8_t> bitmap_file(const std::vector<std::uint8_t>& pixels)
{
    std::vector<std::uint8_t> file = {'B', 'M'};
    put_le(file, 62 + 6144, 4);  // file size
    put_le(file, 0, 4);          // reserved
    put_le(file, 62, 4);         // offset of the pixels
    put_le(file, 40, 4);         // information header size
    put_le(file, 256, 4);        // width
    put_le(file, 192, 4);        // height, positive: bottom line first
    put_le(file, 1, 2);          // planes
    put_le(file, 1, 2);          // bits per pixel
    put_le(file, 0, 4);          // no compression
    put_le(file, 6144, 4);       // pixel data size
    put_le(file, 2835, 4);       // 72 dpi across
    put_le(file, 2835, 4);       // and down
    put_le(file, 2, 4);          // colours used
    put_le(file, 2, 4);          // colours important
    put_le(file, 0x00000000, 4); // colour 0: black
    put_le(file, 0x00FFFFFF, 4); // colour 1: white
    file.insert(file.end(), pixels.begin(), pixels.end());
    return file;
}
