// The tape header record: its default bytes, the screen name and the header checksum.
#include "tape/tape_prefix.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <string>

namespace
{

TapePrefix default_prefix()
{
    TapePrefix prefix;
    prefix.fill(0x55);
    build_tape_prefix(prefix);
    return prefix;
}

TEST(BuildTapePrefix, HoldsTheDefaultHeaderAndDataLeadIn)
{
    const TapePrefix expected = {0x13, 0x00, 0x00, 0x03, 0x73, 0x63, 0x72, 0x65,
                                 0x65, 0x6E, 0x20, 0x20, 0x20, 0x20, 0x00, 0x1B,
                                 0x00, 0x40, 0x00, 0x80, 0xD4, 0x02, 0x1B, 0xFF};
    EXPECT_EQ(default_prefix(), expected);
}

TEST(SetScreenName, StoresThePaddedNameAndItsChecksum)
{
    struct Case {
        const char* name;
        const char* stored; // the ten bytes at offsets 4 to 13
        std::uint8_t checksum;
    };
    const Case cases[] = {
        {"screen", "screen    ", 0xD4},
        {"jetset", "jetset    ", 0xC1},
        {"", "          ", 0xD8},
        {"ABCDEFGHIJ", "ABCDEFGHIJ", 0xD3},
        {"a b", "a b       ",
         0xD4 ^ ('s' ^ 'a') ^ ('c' ^ ' ') ^ ('r' ^ 'b') ^ ('e' ^ ' ') ^ ('e' ^ ' ') ^ ('n' ^ ' ')},
        {"\xC3\xA9t\xE9", "\xC3\xA9t\xE9      ",
         0xD4 ^ ('s' ^ 0xC3) ^ ('c' ^ 0xA9) ^ ('r' ^ 't') ^ ('e' ^ 0xE9) ^ ('e' ^ ' ') ^
             ('n' ^ ' ')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("name \"") + c.name + "\"");
        TapePrefix prefix = default_prefix();
        ASSERT_EQ(set_screen_name(prefix, c.name), 0);

        TapePrefix expected = default_prefix();
        std::copy_n(c.stored, 10, expected.begin() + 4);
        expected[20] = c.checksum;
        EXPECT_EQ(prefix, expected);
    }
}

TEST(SetScreenName, AShorterNameReplacesEveryByteOfALongerOne)
{
    TapePrefix prefix = default_prefix();
    ASSERT_EQ(set_screen_name(prefix, "ABCDEFGHIJ"), 0);
    ASSERT_EQ(set_screen_name(prefix, "jetset"), 0);

    TapePrefix expected = default_prefix();
    ASSERT_EQ(set_screen_name(expected, "jetset"), 0);
    EXPECT_EQ(prefix, expected);
    EXPECT_EQ(prefix[20], 0xC1);
}

TEST(SetScreenName, RefusesElevenBytesAndLeavesTheRecordAlone)
{
    for (const char* name : {"ABCDEFGHIJK", "a name far longer than ten"}) {
        SCOPED_TRACE(name);
        TapePrefix prefix = default_prefix();
        ASSERT_EQ(set_screen_name(prefix, "jetset"), 0);
        const TapePrefix before = prefix;

        testing::internal::CaptureStdout();
        EXPECT_EQ(set_screen_name(prefix, name), -1);
        EXPECT_EQ(testing::internal::GetCapturedStdout(),
                  "ERROR: Name must be 10 characters or less.\n\n");
        EXPECT_EQ(prefix, before);
    }
}

} // namespace
