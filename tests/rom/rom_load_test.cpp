// Loads tapes made by tapemill through the Spectrum ROM's own tape loader, and compares the
// screen it loaded with the picture as ImageMagick decodes it.
#include "rom/tape_deck.h"
#include "support/bitmap_fixture.h"
#include "support/expected_tape.h"
#include "support/program_run.h"

#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace
{

// The picture's pixels as ImageMagick reads them: true for black.
using Picture = std::vector<std::vector<bool>>;

// Decodes ImageMagick's raw PBM output: "P4", width, height, one white-space byte, then rows
// of bits, the most significant first, 1 for black.
Picture decode_with_imagemagick(const fs::path& bitmap)
{
    const ProgramRun run = run_program("convert", {bitmap.string(), "pbm:-"}, bitmap.parent_path());
    if (run.status != 0) {
        throw std::runtime_error("convert cannot decode " + bitmap.string() + ": " + run.err);
    }
    std::istringstream stream(run.out);
    std::string magic;
    int width = 0;
    int height = 0;
    stream >> magic >> width >> height;
    stream.get();
    if (magic != "P4" || width != 256 || height != 192) {
        throw std::runtime_error("unexpected PBM from convert");
    }
    Picture picture(192, std::vector<bool>(256));
    for (auto& line : picture) {
        for (int byte = 0; byte < 32; ++byte) {
            const int bits = stream.get();
            for (int bit = 0; bit < 8; ++bit) {
                line[8 * byte + bit] = (bits & (0x80 >> bit)) != 0;
            }
        }
    }
    if (!stream) {
        throw std::runtime_error("short PBM from convert");
    }
    return picture;
}

std::string padded(const std::string& name)
{
    return name + std::string(10 - name.size(), ' ');
}

ScreenLoad load_through_rom(const fs::path& tape_file)
{
    return load_screen(SPECTRUM_ROM, tape_file.string());
}

struct Drawn {
    const char* title;
    std::vector<std::string> draw; // ImageMagick's arguments up to the output, or none
    std::string name;              // empty: the default name
};

class RomLoad : public testing::TestWithParam<Drawn>
{
};

std::ostream& operator<<(std::ostream& stream, const Drawn& drawn)
{
    return stream << drawn.title;
}

// The picture is drawn into picture.bmp, converted, and the tape loaded.
TEST_P(RomLoad, ScreenLoadsAndShowsThePicture)
{
    const Drawn& drawn = GetParam();
    TempFolder folder;
    const fs::path bitmap = folder.path / "picture.bmp";
    if (drawn.draw.empty()) {
        fs::copy_file(EXAMPLE_PICTURE, bitmap);
    } else {
        std::vector<std::string> args = drawn.draw;
        args.insert(args.end(), {"-monochrome", "-remap", "pattern:gray50", "BMP3:picture.bmp"});
        const ProgramRun run = run_program("convert", args, folder.path);
        ASSERT_EQ(run.status, 0) << run.err;
    }
    const std::vector<std::uint8_t> bmp = read_file(bitmap);
    ASSERT_EQ(bmp.size(), 6206U) << "not the 62-byte header shape";
    ASSERT_EQ(std::vector<std::uint8_t>(bmp.begin() + 54, bmp.begin() + 58),
              std::vector<std::uint8_t>(4, 0x00))
        << "colour 0 is not black";

    std::vector<std::string> args = {"picture.bmp", "picture.tap"};
    if (!drawn.name.empty()) {
        args.push_back(drawn.name);
    }
    ASSERT_EQ(run_program(TAPEMILL_PATH, args, folder.path).status, 0);
    const std::string name = drawn.name.empty() ? "screen" : drawn.name;

    const ScreenLoad load = load_through_rom(folder.path / "picture.tap");
    ASSERT_TRUE(load.header_loaded);
    ASSERT_TRUE(load.data_loaded);
    // Played at the Spectrum's speed, the two blocks take some 42 seconds of tape.
    RecordProperty("tape_seconds", std::to_string(load.seconds));
    EXPECT_GT(load.seconds, 40.0);
    std::vector<std::uint8_t> header = {0x03};
    const std::string stored = padded(name);
    header.insert(header.end(), stored.begin(), stored.end());
    header.insert(header.end(), {0x00, 0x1B, 0x00, 0x40, 0x00, 0x80});
    EXPECT_EQ(load.header, header);

    // A set bit in screen memory is INK, black under attribute 0x38.
    const Picture picture = decode_with_imagemagick(bitmap);
    int wrong = 0;
    for (int y = 0; y < 192; ++y) {
        for (int x = 0; x < 256; ++x) {
            const bool ink = (load.screen[display_offset(y, x / 8)] & (0x80 >> (x % 8))) != 0;
            wrong += ink != picture[y][x];
        }
    }
    EXPECT_EQ(wrong, 0) << "pixels that differ from ImageMagick's reading";
    EXPECT_EQ(std::vector<std::uint8_t>(load.screen.begin() + 6144, load.screen.end()),
              std::vector<std::uint8_t>(768, 0x38));

    // Fuse's tzxlist, another reader of the format, must agree.
    const ProgramRun list = run_program("tzxlist", {"picture.tap"}, folder.path);
    ASSERT_EQ(list.status, 0) << list.err;
    EXPECT_NE(list.out.find("Bytes: \"" + stored + "\" SCREEN$"), std::string::npos) << list.out;
    std::size_t passes = 0;
    for (auto at = list.out.find("(PASS)"); at != std::string::npos;
         at = list.out.find("(PASS)", at + 1)) {
        ++passes;
    }
    EXPECT_EQ(passes, 2U) << list.out;
    EXPECT_EQ(list.out.find("FAIL"), std::string::npos) << list.out;
}

const Drawn pictures[] = {
    {"example", {}, ""},
    {"corners",
     {"-size", "256x192", "xc:white", "-fill", "black", "-draw", "rectangle 0,0 23,15", "-draw",
      "rectangle 248,0 255,31", "-draw", "rectangle 0,184 7,191", "-draw",
      "polygon 255,191 200,191 255,150", "-draw", "line 0,0 255,191", "-draw",
      "circle 128,96 128,40"},
     "corners"},
    {"noise", {"-size", "256x192", "xc:gray50", "-seed", "1", "+noise", "Random"}, "noise"},
    {"ordered_dither_ten_byte_name",
     {"-size", "192x256", "gradient:black-white", "-rotate", "90", "-ordered-dither", "o8x8"},
     "dither8x8!"},
};

INSTANTIATE_TEST_SUITE_P(Pictures, RomLoad, testing::ValuesIn(pictures),
                         [](const testing::TestParamInfo<Drawn>& info) {
                             return std::string(info.param.title);
                         });

// The same loader must refuse a damaged tape, or it proves nothing.
TEST(RomLoadControls, RefusesDamagedTapes)
{
    TempFolder folder;
    fs::copy_file(EXAMPLE_PICTURE, folder.path / "picture.bmp");
    ASSERT_EQ(run_program(TAPEMILL_PATH, {"picture.bmp", "picture.tap"}, folder.path).status, 0);
    const std::vector<std::uint8_t> tape = read_file(folder.path / "picture.tap");

    std::vector<std::uint8_t> flipped_pixel = tape;
    flipped_pixel[24 + 3000] ^= 0x10;
    write_file(folder.path / "flipped_pixel.tap", flipped_pixel);
    const ScreenLoad damaged_data = load_through_rom(folder.path / "flipped_pixel.tap");
    EXPECT_TRUE(damaged_data.header_loaded);
    EXPECT_FALSE(damaged_data.data_loaded);

    std::vector<std::uint8_t> wrong_header_checksum = tape;
    wrong_header_checksum[20] ^= 0x01;
    write_file(folder.path / "wrong_header_checksum.tap", wrong_header_checksum);
    EXPECT_FALSE(load_through_rom(folder.path / "wrong_header_checksum.tap").header_loaded);

    EXPECT_TRUE(load_through_rom(folder.path / "picture.tap").data_loaded)
        << "the undamaged tape must still load";
}

// What a real Spectrum hears: the tape as sound, made by Fuse's tape2wav and played into the
// EAR input, must load the very screen that the tape image loads.
TEST(RomLoadFromSound, LoadsTheSameScreenAsTheTapeImage)
{
    struct Picture {
        const char* title;
        std::vector<std::uint8_t> file;
    };
    const Picture pictures[] = {
        {"example", read_file(EXAMPLE_PICTURE)},
        {"random", bitmap_file(random_pixels(11))},
    };
    for (const Picture& picture : pictures) {
        SCOPED_TRACE(picture.title);
        TempFolder folder;
        write_file(folder.path / "picture.bmp", picture.file);
        ASSERT_EQ(run_program(TAPEMILL_PATH, {"picture.bmp", "picture.tap"}, folder.path).status,
                  0);
        const ProgramRun sound =
            run_program("tape2wav", {"picture.tap", "picture.wav"}, folder.path);
        ASSERT_EQ(sound.status, 0) << sound.out << sound.err;

        const ScreenLoad from_tape = load_through_rom(folder.path / "picture.tap");
        const ScreenLoad from_sound = load_through_rom(folder.path / "picture.wav");
        ASSERT_TRUE(from_tape.data_loaded);
        ASSERT_TRUE(from_sound.header_loaded);
        ASSERT_TRUE(from_sound.data_loaded);
        EXPECT_EQ(from_sound.header, from_tape.header);
        EXPECT_EQ(from_sound.screen, from_tape.screen);
        RecordProperty(std::string(picture.title) + "_sound_seconds",
                       std::to_string(from_sound.seconds));
    }
}

} // namespace
