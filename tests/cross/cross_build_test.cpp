// Runs a cross build beside this machine's build, on the same files, and requires the same
// result from both: the same tape bytes, the same console lines, the same exit status and the
// same files left behind. The cross build is one of:
//   wine <wine64> <wineserver> <tapemill.exe>   the Windows build under Wine; Windows ends its
//                                               console lines with CR LF
//   qemu <qemu-user> <cpu> <tapemill>           an Arm Linux build under QEMU's user mode,
//                                               emulating the oldest processor it is built for
// A file opened in text mode on Windows would turn 0x0A into 0x0D 0x0A, or stop reading at
// 0x1A; the pictures hold both. A byte-order or word-size slip on Arm would show in any tape.
#include "support/bitmap_fixture.h"
#include "support/program_run.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace fs = std::filesystem;

namespace
{

// How the cross build under test is run: the command in front of the arguments, and whether
// its console lines end in CR LF.
struct CrossBuild {
    std::vector<std::string> command;
    bool windows_line_ends = false;
};

CrossBuild& cross_build()
{
    static CrossBuild build;
    return build;
}

// Pixel bytes that a text-mode stream would mangle, in the picture and, inverted, in the tape.
std::vector<std::uint8_t> control_byte_pixels(unsigned seed)
{
    std::vector<std::uint8_t> pixels = random_pixels(seed);
    const std::uint8_t awkward[] = {0x0A, 0x0D, 0x1A, 0xF5, 0xF2, 0xE5, 0x0A, 0x0A};
    for (std::size_t i = 0; i < pixels.size(); i += 97) {
        pixels[i] = awkward[(i / 97) % 8];
    }
    return pixels;
}

struct Scenario {
    const char* title;
    std::vector<std::uint8_t> picture; // no file when empty
    std::vector<std::string> args;
    int status;
    bool converts = false; // a whole tape is written
    std::string picture_name = "in.bmp";
};

std::string without_carriage_returns(std::string text)
{
    std::string lines;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) {
            lines += text[i];
        }
    }
    return lines;
}

std::map<std::string, std::vector<std::uint8_t>> files_in(const fs::path& folder)
{
    std::map<std::string, std::vector<std::uint8_t>> files;
    for (const auto& entry : fs::directory_iterator(folder)) {
        files[entry.path().filename().string()] = read_file(entry.path());
    }
    return files;
}

struct Outcome {
    ProgramRun run;
    std::map<std::string, std::vector<std::uint8_t>> files;
};

// The scenario's folder: the picture and an older, longer tape to convert onto.
Outcome run_in_fresh_folder(const Scenario& s, const std::string& program,
                            std::vector<std::string> args)
{
    TempFolder folder;
    if (!s.picture.empty()) {
        write_file(folder.path / s.picture_name, s.picture);
    }
    write_file(folder.path / "old.tap", std::vector<std::uint8_t>(9000, 0x0A));
    args.insert(args.end(), s.args.begin(), s.args.end());
    Outcome outcome{run_program(program, args, folder.path), {}};
    outcome.files = files_in(folder.path);
    return outcome;
}

class CrossBuildRun : public testing::TestWithParam<Scenario>
{
};

TEST_P(CrossBuildRun, MatchesThisMachinesBuild)
{
    const Scenario& s = GetParam();
    const CrossBuild& cross = cross_build();
    const Outcome native_run = run_in_fresh_folder(s, TAPEMILL_PATH, {});
    const Outcome cross_run = run_in_fresh_folder(s, cross.command.front(),
                                                  {cross.command.begin() + 1, cross.command.end()});

    EXPECT_EQ(native_run.run.status, s.status);
    EXPECT_EQ(cross_run.run.status, s.status);
    EXPECT_EQ(cross.windows_line_ends ? without_carriage_returns(cross_run.run.out)
                                      : cross_run.run.out,
              native_run.run.out);
    EXPECT_EQ(cross_run.run.err, "");
    EXPECT_TRUE(cross_run.files == native_run.files) << "the two builds left different files";
    if (s.converts) {
        ASSERT_EQ(cross_run.files.count(s.args[1]), 1U);
        EXPECT_EQ(cross_run.files.at(s.args[1]).size(), 6937U);
    }
    if (!s.picture.empty()) {
        EXPECT_EQ(cross_run.files.at(s.picture_name), s.picture) << "the picture was changed";
    }
}

std::ostream& operator<<(std::ostream& stream, const Scenario& s)
{
    return stream << s.title;
}

std::vector<std::uint8_t> example_picture()
{
    return read_file(EXAMPLE_PICTURE);
}

const Scenario scenarios[] = {
    {"example", example_picture(), {"in.bmp", "out.tap"}, 0, true},
    {"control_bytes_jetset",
     bitmap_file(control_byte_pixels(1)),
     {"in.bmp", "out.tap", "jetset"},
     0,
     true},
    {"control_bytes_ten_byte_name",
     bitmap_file(control_byte_pixels(2)),
     {"in.bmp", "out.tap", "ABCDEFGHIJ"},
     0,
     true},
    {"onto_existing_output", bitmap_file(control_byte_pixels(3)), {"in.bmp", "old.tap"}, 0, true},
    {"eleven_byte_name", example_picture(), {"in.bmp", "out.tap", "ABCDEFGHIJK"}, 0},
    {"onto_itself", example_picture(), {"in.bmp", "in.bmp"}, 1},
    {"onto_itself_other_spelling", example_picture(), {"in.bmp", "./in.bmp"}, 1},
    {"short_picture", std::vector<std::uint8_t>(62, 0x1A), {"in.bmp", "out.tap"}, 1},
    {"missing_picture", {}, {"in.bmp", "out.tap"}, 1},

    // Names in other scripts than a Windows code page's, which the program must take, open and
    // echo in UTF-8, and a screen name of their bytes.
    {"japanese_names",
     example_picture(),
     {"日本語.bmp", "日本語.tap", "日本語"},
     0,
     true,
     "日本語.bmp"},
    {"greek_names", example_picture(), {"Ελληνικά.bmp", "Ελληνικά.tap"}, 0, true, "Ελληνικά.bmp"},
    {"accented_latin_names",
     example_picture(),
     {"café.bmp", "café.tap", "café"},
     0,
     true,
     "café.bmp"},
    {"onto_itself_japanese",
     example_picture(),
     {"日本語.bmp", "./日本語.bmp"},
     1,
     false,
     "日本語.bmp"},
};

INSTANTIATE_TEST_SUITE_P(Scenarios, CrossBuildRun, testing::ValuesIn(scenarios),
                         [](const testing::TestParamInfo<Scenario>& info) {
                             return std::string(info.param.title);
                         });

} // namespace

// Wine, as the Windows build's runs see it: one prefix for the whole run, made fresh, since Wine
// takes seconds to set one up; no display of any kind, so that Wine starts no graphics driver
// that could complain; a runtime folder of its own, which a display library insists on; and
// its server kept up from the first run to the last, so that Wine's own processes start once,
// before the tests, and never again between two runs. Whatever Wine says while it sets itself
// up is said here, where no test reads it: what a test reads on standard error is the
// Windows program's alone.
class WineEnvironment : public testing::Environment
{
  public:
    WineEnvironment(std::string wine64, std::string wineserver)
        : wine64_(std::move(wine64)), wineserver_(std::move(wineserver))
    {
    }

    void SetUp() override
    {
        // The server settles in the prefix's folder, so the folder comes first.
        fs::create_directory(folder_.path / "wine");
        fs::create_directory(folder_.path / "runtime");
        fs::permissions(folder_.path / "runtime", fs::perms::owner_all, fs::perm_options::replace);
        setenv("WINEPREFIX", (folder_.path / "wine").c_str(), 1);
        setenv("XDG_RUNTIME_DIR", (folder_.path / "runtime").c_str(), 1);
        setenv("WINEDEBUG", "-all", 1);
        // Wine takes the Windows code page from the locale: this one's is 1252, a Western one.
        setenv("LC_ALL", "C.UTF-8", 1);
        unsetenv("DISPLAY");
        unsetenv("WAYLAND_DISPLAY");

        wine_setup(wineserver_, {"--persistent"});
        wine_setup(wine64_, {"wineboot", "--init"});
        wine_setup(wine64_, {"reg", "add", "HKCU\\Software\\Wine\\Drivers", "/v", "Graphics", "/d",
                             "null", "/f"});
    }

    // Ends the server and waits for it, so that it writes nothing into the prefix once the
    // prefix is being removed.
    void TearDown() override
    {
        wine_setup(wineserver_, {"--kill"});
        wine_setup(wineserver_, {"--wait"});
    }

  private:
    void wine_setup(const std::string& program, const std::vector<std::string>& args)
    {
        const ProgramRun run = run_program(program, args, folder_.path);
        if (run.status != 0) {
            ADD_FAILURE() << program << " failed, status " << run.status << ": " << run.err;
        }
    }

    std::string wine64_;
    std::string wineserver_;
    TempFolder folder_;
};

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    const std::vector<std::string> args(argv + 1, argv + argc);
    CrossBuild& cross = cross_build();
    if (args.size() == 4 && args[0] == "wine") {
        cross.command = {args[1], args[3]};
        cross.windows_line_ends = true;
        testing::AddGlobalTestEnvironment(new WineEnvironment(args[1], args[2]));
    } else if (args.size() == 4 && args[0] == "qemu") {
        cross.command = {args[1], "-cpu", args[2], args[3]};
    } else {
        std::fprintf(stderr,
                     "usage: %s wine <wine64> <wineserver> <tapemill.exe>\n"
                     "       %s qemu <qemu-user> <cpu> <tapemill>\n",
                     argv[0], argv[0]);
        return 2;
    }
    return RUN_ALL_TESTS();
}
