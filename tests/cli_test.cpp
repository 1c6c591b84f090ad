// Runs the built program in a fresh folder for every case and checks all it leaves behind:
// standard output, standard error, exit status, the tape file and the picture file.
#include "support/bitmap_fixture.h"
#include "support/expected_tape.h"
#include "support/program_run.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace
{

// Every offset of the tape at which a write is made to fail, or every so many under the
// sanitizers, where a run costs ten times as much.
constexpr long offset_stride = TAPEMILL_OFFSET_STRIDE;

const std::string banner = "\n\nTAPEMILL version 1.1\n"
                           "Turns a 256 x 192 one-bit BMP picture\n"
                           "into a ZX Spectrum tape image that\n"
                           "loads with LOAD \"\" SCREEN$\n\n";

const std::string usage = "Usage : TAPEMILL <bitmap file input> <tape file output> [screen name]\n"
                          "Example : TAPEMILL jetset.bmp jetset.tap jetset\n\n";

const std::string name_error = "ERROR: Name must be 10 characters or less.\n\n";

std::string converting(const std::string& input, const std::string& output)
{
    return "Converting " + input + " to " + output + "....\n";
}

const std::string read_and_write = "Reading bitmap data...\n"
                                   "Sorting bitmap data...\n"
                                   "Creating Spectrum Screen...\n"
                                   "Writing TAP file...\n";

const std::string done = "\nConversion done...!\n";

std::string converted(const std::string& input, const std::string& output)
{
    return converting(input, output) + read_and_write + done;
}

std::string write_failed(const std::string& input, const std::string& output)
{
    return converting(input, output) + read_and_write + "Error writing to " + output + "...!\n";
}

// What the run must leave in the tape file it was given.
enum class Left {
    no_new_file,  // the folder holds no file it did not hold before
    prefix,       // exactly the 24 bytes in front of the screen
    tape,         // the whole 6937-byte image
    partial_tape, // a shorter start of the whole image
    unchecked,    // not a file of the folder's (a device)
};

struct Case {
    const char* title;
    std::vector<std::string> args;
    std::string transcript; // all of standard output after the banner
    int status;
    Left left;
    std::size_t input_size = 6206; // how much of the picture file in.bmp holds
    std::optional<long> file_size_limit = std::nullopt;
    std::string input_file = "in.bmp";
};

std::ostream& operator<<(std::ostream& stream, const Case& c)
{
    return stream << c.title;
}

// Every folder holds the picture, a hard link and a symbolic link to it, and an older,
// longer tape, so that each case also shows what it must leave alone.
std::vector<std::uint8_t> make_folder(const fs::path& folder, const Case& c)
{
    std::vector<std::uint8_t> picture = bitmap_file(random_pixels(3));
    picture.resize(c.input_size, 0x0A);
    write_file(folder / c.input_file, picture);
    fs::create_hard_link(folder / c.input_file, folder / "link.bmp");
    fs::create_symlink(c.input_file, folder / "sym.bmp");
    write_file(folder / "old.tap", std::vector<std::uint8_t>(10000, 0xAA));
    return picture;
}

std::set<std::string> names_in(const fs::path& folder)
{
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

class CommandLine : public testing::TestWithParam<Case>
{
};

TEST_P(CommandLine, LeavesExactlyWhatItShould)
{
    const Case& c = GetParam();
    TempFolder folder;
    const std::vector<std::uint8_t> picture = make_folder(folder.path, c);
    std::set<std::string> names = names_in(folder.path);

    const ProgramRun run = run_program(TAPEMILL_PATH, c.args, folder.path, c.file_size_limit);

    EXPECT_EQ(run.out, banner + c.transcript);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.status, c.status);
    EXPECT_EQ(read_file(folder.path / c.input_file), picture) << "the picture was changed";

    const bool made_tape = c.left != Left::no_new_file && c.left != Left::unchecked;
    if (made_tape) {
        names.insert(c.args[1]);
    }
    EXPECT_EQ(names_in(folder.path), names);
    if (!made_tape || c.args[1] != "old.tap") {
        EXPECT_EQ(read_file(folder.path / "old.tap"), std::vector<std::uint8_t>(10000, 0xAA));
    }
    if (!made_tape) {
        return;
    }

    // The whole image this picture and name make; a short picture stops after its first 24.
    std::vector<std::uint8_t> whole = picture;
    whole.resize(std::max<std::size_t>(whole.size(), 6206));
    const std::vector<std::uint8_t> expected =
        expected_tape(whole, c.args.size() == 3 ? c.args[2] : "screen");
    const std::vector<std::uint8_t> tape = read_file(folder.path / c.args[1]);
    switch (c.left) {
    case Left::prefix:
        EXPECT_EQ(tape, std::vector<std::uint8_t>(expected.begin(), expected.begin() + 24));
        break;
    case Left::tape:
        EXPECT_EQ(tape, expected);
        break;
    case Left::partial_tape:
        ASSERT_LT(tape.size(), expected.size());
        EXPECT_TRUE(std::equal(tape.begin(), tape.end(), expected.begin()));
        break;
    default:
        break;
    }
}

const std::string ok = converted("in.bmp", "out.tap");

// The "Converting" line for in.bmp and out.tap, then the one line of a failure.
std::string stops_with(const std::string& message)
{
    return converting("in.bmp", "out.tap") + message;
}

std::string refuses(const std::string& input, const std::string& output)
{
    return converting(input, output) + "Can't overwrite input file " + output + "...!\n";
}

const std::string short_header = "Can't read from in.bmp...!\n";
const std::string short_pixels = "Reading bitmap data...\nRead error in in.bmp...!\n";
const std::vector<std::string> plain_args = {"in.bmp", "out.tap"};
const std::string overlong_name = std::string(300, 'n') + ".tap"; // more than a file name may be

// One row a case; kept as written, a row to a line or two, so that the table reads as one.
// clang-format off
const Case cases[] = {
    // The argument count, and the screen name measured only with exactly three arguments.
    {"no_arguments", {}, usage, 0, Left::no_new_file},
    {"one_argument", {"in.bmp"}, usage, 0, Left::no_new_file},
    {"four_arguments_long_name_unmeasured", {"in.bmp", "out.tap", "ABCDEFGHIJKLMNOP", "x"}, usage,
     0, Left::no_new_file},
    {"five_arguments", {"in.bmp", "out.tap", "n", "x", "y"}, usage, 0, Left::no_new_file},
    {"eleven_byte_name", {"in.bmp", "out.tap", "ABCDEFGHIJK"}, name_error + usage, 0,
     Left::no_new_file},

    // Names the header takes.
    {"default_name", plain_args, ok, 0, Left::tape},
    {"name_jetset", {"in.bmp", "out.tap", "jetset"}, ok, 0, Left::tape},
    {"ten_byte_name", {"in.bmp", "out.tap", "ABCDEFGHIJ"}, ok, 0, Left::tape},
    {"empty_name", {"in.bmp", "out.tap", ""}, ok, 0, Left::tape},
    {"non_ascii_name", {"in.bmp", "out.tap", "\xC3\xA9t\xE9 x"}, ok, 0, Left::tape},

    // Pictures of every size around the two reads.
    {"empty_picture", plain_args, stops_with(short_header), 1, Left::prefix, 0},
    {"picture_of_61_bytes", plain_args, stops_with(short_header), 1, Left::prefix, 61},
    {"picture_of_62_bytes", plain_args, stops_with(short_pixels), 1, Left::prefix, 62},
    {"picture_of_6205_bytes", plain_args, stops_with(short_pixels), 1, Left::prefix, 6205},
    {"picture_of_7000_bytes", plain_args, ok, 0, Left::tape, 7000},

    // Files that cannot be opened, or must not be.
    {"missing_picture", {"missing.bmp", "out.tap"},
     converting("missing.bmp", "out.tap") + "Error opening missing.bmp...!\n", 1,
     Left::no_new_file},
    {"output_in_missing_folder", {"in.bmp", "no/such/out.tap"},
     converting("in.bmp", "no/such/out.tap") + "Error opening no/such/out.tap...!\n", 1,
     Left::no_new_file},
    {"output_name_too_long", {"in.bmp", overlong_name},
     converting("in.bmp", overlong_name) + "Error opening " + overlong_name + "...!\n", 1,
     Left::no_new_file},
    {"longer_output_truncated", {"in.bmp", "old.tap"}, converted("in.bmp", "old.tap"), 0,
     Left::tape},
    {"percent_signs_printed_as_typed", {"100%s%n.bmp", "%d%%.tap"},
     converted("100%s%n.bmp", "%d%%.tap"), 0, Left::tape, 6206, std::nullopt, "100%s%n.bmp"},
    {"same_path", {"in.bmp", "in.bmp"}, refuses("in.bmp", "in.bmp"), 1, Left::no_new_file},
    {"same_file_other_spelling", {"in.bmp", "./in.bmp"}, refuses("in.bmp", "./in.bmp"), 1,
     Left::no_new_file},
    {"same_file_hard_link", {"in.bmp", "link.bmp"}, refuses("in.bmp", "link.bmp"), 1,
     Left::no_new_file},
    {"same_file_symbolic_link", {"in.bmp", "sym.bmp"}, refuses("in.bmp", "sym.bmp"), 1,
     Left::no_new_file},
    {"same_file_non_utf8_name", {"\xE9t\xE9.bmp", "./\xE9t\xE9.bmp"},
     refuses("\xE9t\xE9.bmp", "./\xE9t\xE9.bmp"), 1, Left::no_new_file, 6206, std::nullopt,
     "\xE9t\xE9.bmp"},
    {"same_file_through_link_as_input", {"sym.bmp", "in.bmp"}, refuses("sym.bmp", "in.bmp"), 1,
     Left::no_new_file},

    // Writes that fail: at once on a full device, and at the first or the final flush.
    {"full_device", {"in.bmp", "/dev/full"}, write_failed("in.bmp", "/dev/full"), 1,
     Left::unchecked},
    {"size_limit_hit_at_first_flush", plain_args, write_failed("in.bmp", "out.tap"), 1,
     Left::partial_tape, 6206, 2000},
    {"size_limit_hit_at_final_flush", plain_args, write_failed("in.bmp", "out.tap"), 1,
     Left::partial_tape, 6206, 5000},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Cases, CommandLine, testing::ValuesIn(cases),
                         [](const testing::TestParamInfo<Case>& info) {
                             return std::string(info.param.title);
                         });

TEST(Conversion, HeaderAndTrailingBytesChangeNothing)
{
    TempFolder folder;
    const std::vector<std::uint8_t> plain = bitmap_file(counting_pixels());
    std::vector<std::uint8_t> odd = plain;
    for (int i = 0; i < 62; ++i) {
        odd[i] = static_cast<std::uint8_t>(0xC3 + 7 * i); // no signature, sizes or colours left
    }
    odd.insert(odd.end(), 5000, 0x0A);
    write_file(folder.path / "plain.bmp", plain);
    write_file(folder.path / "odd.bmp", odd);

    ASSERT_EQ(run_program(TAPEMILL_PATH, {"plain.bmp", "plain.tap"}, folder.path).status, 0);
    ASSERT_EQ(run_program(TAPEMILL_PATH, {"odd.bmp", "odd.tap"}, folder.path).status, 0);

    const std::vector<std::uint8_t> tape = read_file(folder.path / "plain.tap");
    EXPECT_EQ(tape, expected_tape(plain));
    EXPECT_EQ(read_file(folder.path / "odd.tap"), tape);
}

TEST(Conversion, KnownChecksums)
{
    struct Case {
        const char* title;
        std::vector<std::uint8_t> pixels;
        std::vector<std::string> name_argument;
        std::uint8_t header_checksum;
        std::uint8_t data_checksum;
        std::uint8_t display_6112; // at tape offset 6136: the file's first pixel byte, inverted
    };
    std::vector<std::uint8_t> bottom_left(6144, 0x00);
    bottom_left[0] = 0x80;
    const Case cases[] = {
        {"counting picture", counting_pixels(), {}, 0xD4, 0xFF, 0xFF},
        {"all set, jetset", std::vector<std::uint8_t>(6144, 0xFF), {"jetset"}, 0xC1, 0xFF, 0x00},
        {"bottom-left pixel, empty name", bottom_left, {""}, 0xD8, 0x7F, 0x7F},
        {"all clear, ten bytes",
         std::vector<std::uint8_t>(6144, 0x00),
         {"ABCDEFGHIJ"},
         0xD3,
         0xFF,
         0xFF},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        TempFolder folder;
        write_file(folder.path / "in.bmp", bitmap_file(c.pixels));
        std::vector<std::string> args = {"in.bmp", "out.tap"};
        args.insert(args.end(), c.name_argument.begin(), c.name_argument.end());
        ASSERT_EQ(run_program(TAPEMILL_PATH, args, folder.path).status, 0);

        const std::vector<std::uint8_t> tape = read_file(folder.path / "out.tap");
        ASSERT_EQ(tape.size(), 6937U);
        EXPECT_EQ(tape[20], c.header_checksum);
        EXPECT_EQ(tape[6936], c.data_checksum);
        EXPECT_EQ(tape[6136], c.display_6112);
    }
}

// A full disk may strike at any byte of the tape. For every size limit short of the whole tape
// the run must stop with the write error and leave exactly that many of the tape's first bytes.
TEST(Conversion, FailsCleanlyAtEveryOffsetOfTheTape)
{
    TempFolder folder;
    const std::vector<std::uint8_t> picture = bitmap_file(random_pixels(5));
    write_file(folder.path / "in.bmp", picture);
    const std::vector<std::uint8_t> whole = expected_tape(picture);
    const std::string failed = banner + write_failed("in.bmp", "out.tap");

    // Where the stream's 4096-byte buffer fills, and the tape's last byte, whatever the stride.
    std::set<long> limits = {4095, 4096, 4097, 6936, 6937};
    for (long limit = 0; limit <= 6937; limit += offset_stride) {
        limits.insert(limit);
    }

    for (const long limit : limits) {
        const ProgramRun run =
            run_program(TAPEMILL_PATH, {"in.bmp", "out.tap"}, folder.path, limit);
        const std::vector<std::uint8_t> tape = read_file(folder.path / "out.tap");
        const auto size = static_cast<std::size_t>(limit);
        if (limit == 6937) {
            EXPECT_EQ(run.status, 0);
            EXPECT_EQ(run.out, banner + ok);
            EXPECT_EQ(tape, whole);
        } else {
            ASSERT_EQ(run.status, 1) << "limit " << limit;
            ASSERT_EQ(run.out, failed) << "limit " << limit;
            ASSERT_EQ(tape, std::vector<std::uint8_t>(whole.begin(), whole.begin() + size))
                << "limit " << limit;
        }
        ASSERT_EQ(run.err, "") << "limit " << limit;
        ASSERT_EQ(read_file(folder.path / "in.bmp"), picture) << "limit " << limit;
    }
}

} // namespace
