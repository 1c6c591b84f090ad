// The row turning and the display-file encoder, checked against bytes worked out by hand and
// from the picture's side.
#include "screen/bitmap_input.h"
#include "screen/display_encoder.h"
#include "support/bitmap_fixture.h"
#include "support/expected_tape.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <string>

namespace
{

// Buffers start out holding a marker, so that a byte the code never wrote shows.
constexpr std::uint8_t marker = 0x55;

ScreenBytes marked()
{
    ScreenBytes bytes;
    bytes.fill(marker);
    return bytes;
}

BitmapRows as_rows(const std::vector<std::uint8_t>& pixels)
{
    BitmapRows rows;
    std::copy(pixels.begin(), pixels.end(), rows.begin());
    return rows;
}

struct Encoded {
    DisplayFile display;
    std::uint8_t checksum;
};

// What the run does with the pixel bytes of a file: turn, then encode.
Encoded encode_file_pixels(const std::vector<std::uint8_t>& pixels)
{
    PixelRows rows = marked();
    flip_rows(as_rows(pixels), rows);
    Encoded result{marked(), 0xFF};
    encode_display_file(rows, result.display, result.checksum);
    return result;
}

TEST(FlipRows, PutsTheFileBottomLineLast)
{
    const BitmapRows file_rows = as_rows(counting_pixels());
    PixelRows rows = marked();
    flip_rows(file_rows, rows);

    // The file's first pixel byte is the bottom line's leftmost; its last the top line's right.
    EXPECT_EQ(rows[6112], file_rows[0]);
    EXPECT_EQ(rows[31], file_rows[6143]);
    for (int r = 0; r < 192; ++r) {
        for (int x = 0; x < 32; ++x) {
            ASSERT_EQ(rows[32 * r + x], file_rows[32 * (191 - r) + x]) << "line " << r;
        }
    }
}

TEST(EncodeDisplayFile, NamedOffsetsComeFromTheirLines)
{
    struct Place {
        int offset;
        int line;
        int column;
    };
    const Place places[] = {{0, 0, 0},       {31, 0, 31},    {32, 8, 0},    {224, 56, 0},
                            {256, 1, 0},     {2047, 63, 31}, {2048, 64, 0}, {4096, 128, 0},
                            {4383, 129, 31}, {6143, 191, 31}};
    for (const Place& place : places) {
        SCOPED_TRACE("display offset " + std::to_string(place.offset));
        // One set pixel byte in a clear picture: it must come out at its offset and only there.
        PixelRows rows{};
        rows[32 * place.line + place.column] = 0x81;
        DisplayFile display = marked();
        std::uint8_t checksum = 0xFF;
        encode_display_file(rows, display, checksum);

        EXPECT_EQ(display[place.offset], 0x7E);
        EXPECT_EQ(std::count(display.begin(), display.end(), 0xFF), 6143);
        EXPECT_EQ(checksum, 0x7E);
    }
}

TEST(EncodeDisplayFile, EveryByteLandsWhereTheScreenLayoutPutsIt)
{
    const std::vector<std::uint8_t> pixels = random_pixels(11);
    const PixelRows rows = as_rows(pixels);
    DisplayFile display = marked();
    std::uint8_t checksum = 0xFF;
    encode_display_file(rows, display, checksum);

    std::uint8_t expected_checksum = 0xFF;
    for (int y = 0; y < 192; ++y) {
        for (int x = 0; x < 32; ++x) {
            const auto expected = static_cast<std::uint8_t>(~rows[32 * y + x]);
            ASSERT_EQ(display[display_offset(y, x)], expected) << "line " << y << " column " << x;
            expected_checksum ^= expected;
        }
    }
    EXPECT_EQ(checksum, expected_checksum);
}

TEST(EncodeDisplayFile, CountingPictureGivesTheComplementOfEachSourcePosition)
{
    const Encoded encoded = encode_file_pixels(counting_pixels());
    for (int d = 0; d < 6144; ++d) {
        const int y = 64 * (d / 2048) + 8 * ((d / 32) % 8) + (d % 2048) / 256;
        const int x = d % 32;
        const auto expected = static_cast<std::uint8_t>(~(((191 - y) * 32 + x) % 256));
        ASSERT_EQ(encoded.display[d], expected) << "display offset " << d;
    }
    // 6144 counting bytes are 24 runs of 0..255, whose XOR is 0.
    EXPECT_EQ(encoded.checksum, 0xFF);
}

TEST(EncodeDisplayFile, UniformAndSingleBytePictures)
{
    struct Case {
        const char* title;
        std::uint8_t fill;
        std::uint8_t first_file_byte;
        std::uint8_t display_fill;
        std::uint8_t display_6112;
        std::uint8_t checksum;
    };
    const Case cases[] = {
        {"all bits set", 0xFF, 0xFF, 0x00, 0x00, 0xFF},
        {"all bits clear", 0x00, 0x00, 0xFF, 0xFF, 0xFF},
        {"only the bottom-left pixel set", 0x00, 0x80, 0xFF, 0x7F, 0x7F},
        {"uniform 0xA5", 0xA5, 0xA5, 0x5A, 0x5A, 0xFF},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        std::vector<std::uint8_t> pixels(6144, c.fill);
        pixels[0] = c.first_file_byte;
        const Encoded encoded = encode_file_pixels(pixels);
        for (int d = 0; d < 6144; ++d) {
            ASSERT_EQ(encoded.display[d], d == 6112 ? c.display_6112 : c.display_fill)
                << "display offset " << d;
        }
        EXPECT_EQ(encoded.checksum, c.checksum);
    }
}

TEST(EncodeDisplayFile, ChecksumEqualsFlagXorAllPixelBytes)
{
    for (unsigned seed = 1; seed <= 4; ++seed) {
        const std::vector<std::uint8_t> pixels = random_pixels(seed);
        std::uint8_t expected = 0xFF;
        for (std::uint8_t byte : pixels) {
            expected ^= byte;
        }
        EXPECT_EQ(encode_file_pixels(pixels).checksum, expected) << "seed " << seed;
    }
}

} // namespace
