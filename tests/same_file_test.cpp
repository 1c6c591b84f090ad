// Whether a name leads to the picture the run has open: the check that keeps a tape from
// truncating its own picture. The open picture is renamed, replaced and linked to between the
// open and the check, as another program could do while the run is going on.
#include "app/same_file.h"
#include "support/program_run.h"

#include <cstdio>
#include <functional>
#include <gtest/gtest.h>
#include <string>

namespace fs = std::filesystem;

namespace
{

struct Case {
    const char* title;
    std::function<void(const fs::path&)> after_open; // done in the folder once in.bmp is open
    const char* name;                                // the tape's name, looked up in the folder
    bool same;
};

std::ostream& operator<<(std::ostream& stream, const Case& c)
{
    return stream << c.title;
}

void nothing(const fs::path& /*folder*/)
{
}

class NamesOpenFile : public testing::TestWithParam<Case>
{
};

TEST_P(NamesOpenFile, KnowsThePictureByItsOpenFile)
{
    const Case& c = GetParam();
    TempFolder folder;
    write_file(folder.path / "in.bmp", std::vector<std::uint8_t>(100, 0x0A));
    write_file(folder.path / "other.bmp", std::vector<std::uint8_t>(100, 0x0A));
    std::FILE* picture = std::fopen((folder.path / "in.bmp").c_str(), "rb");
    ASSERT_NE(picture, nullptr);

    c.after_open(folder.path);
    const bool same = names_open_file(picture, (folder.path / c.name).c_str());
    std::fclose(picture);

    EXPECT_EQ(same, c.same);
}

const Case cases[] = {
    {"same_path", nothing, "in.bmp", true},
    {"other_spelling", nothing, "./in.bmp", true},
    {"hard_link", [](const fs::path& f) { fs::create_hard_link(f / "in.bmp", f / "link.bmp"); },
     "link.bmp", true},
    {"symbolic_link", [](const fs::path& f) { fs::create_symlink("in.bmp", f / "sym.bmp"); },
     "sym.bmp", true},
    {"another_file_alike", nothing, "other.bmp", false},
    {"no_such_file", nothing, "out.tap", false},
    {"dangling_symbolic_link",
     [](const fs::path& f) { fs::create_symlink("nowhere.bmp", f / "sym.tap"); }, "sym.tap", false},
    // Looked up by its old name, the picture would be missing here, and the tape's name
    // would pass for another file's.
    {"picture_renamed_to_the_name",
     [](const fs::path& f) { fs::rename(f / "in.bmp", f / "out.tap"); }, "out.tap", true},
    {"picture_removed_and_its_name_reused",
     [](const fs::path& f) {
         fs::remove(f / "in.bmp");
         write_file(f / "in.bmp", std::vector<std::uint8_t>(100, 0x0A));
     },
     "in.bmp", false},
};

INSTANTIATE_TEST_SUITE_P(Cases, NamesOpenFile, testing::ValuesIn(cases),
                         [](const testing::TestParamInfo<Case>& info) {
                             return std::string(info.param.title);
                         });

} // namespace
