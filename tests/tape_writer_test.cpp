// The tape writes on streams whose writes fail one at a time, so that each write's own check
// is seen to fire: with the run's 4096-byte buffer most of these writes never reach the file
// at all, and nothing on the command line tells one check from another.
#include "support/program_run.h"
#include "tape/tape_prefix.h"
#include "tape/tape_writer.h"

#include <cerrno>
#include <cstdio>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace
{

// Where an unbuffered stream's writes go: every call but the one numbered fail_call (from 0)
// appends its bytes to a file, so that the parent of the child doing the writes can see them.
struct FailingSink {
    std::FILE* file;
    int fail_call;
    int calls;
};

ssize_t write_to_sink(void* cookie, const char* bytes, std::size_t size)
{
    auto* sink = static_cast<FailingSink*>(cookie);
    if (sink->calls++ == sink->fail_call) {
        errno = ENOSPC;
        return 0; // a cookie's way of saying the write failed
    }
    const std::size_t written = std::fwrite(bytes, 1, size, sink->file);
    std::fflush(sink->file);
    return static_cast<ssize_t>(written);
}

// A stream whose write call number fail_call fails, unbuffered so that each write of the
// program is one call; or buffered, so that the bytes wait in the stream until it is closed.
std::FILE* failing_stream(FailingSink& sink, bool buffered)
{
    cookie_io_functions_t functions{};
    functions.write = write_to_sink;
    std::FILE* stream = fopencookie(&sink, "w", functions);
    if (stream != nullptr && !buffered) {
        std::setvbuf(stream, nullptr, _IONBF, 0);
    }
    return stream;
}

enum class Writes { prefix, body, body_then_close };

struct Case {
    const char* title;
    Writes writes;
    int fail_call;           // -1: none fails
    bool buffered;           // the stream holds the bytes until it is closed
    std::string transcript;  // all the writes print
    int status;              // 0: the writes returned
    std::size_t bytes_taken; // how many of the bytes written reached the sink
};

std::ostream& operator<<(std::ostream& stream, const Case& c)
{
    return stream << c.title;
}

class FailingWrite : public testing::TestWithParam<Case>
{
};

// The display bytes differ from one another, and from the attribute byte, so that the bytes
// taken show their order.
DisplayFile marked_display()
{
    DisplayFile display;
    for (std::size_t i = 0; i < display.size(); ++i) {
        display[i] = static_cast<std::uint8_t>(0x55 ^ (i * 7));
    }
    return display;
}

TEST_P(FailingWrite, EndsWithItsOwnMessage)
{
    const Case& c = GetParam();
    TempFolder folder;
    const std::string taken_path = (folder.path / "taken").string();
    TapePrefix prefix;
    build_tape_prefix(prefix);
    const DisplayFile display = marked_display();
    const std::uint8_t checksum = 0xA7;

    const ProgramRun run = run_in_child([&] {
        FailingSink sink{std::fopen(taken_path.c_str(), "wb"), c.fail_call, 0};
        std::FILE* output = failing_stream(sink, c.buffered);
        if (sink.file == nullptr || output == nullptr) {
            std::_Exit(126);
        }
        if (c.writes == Writes::prefix) {
            write_tape_prefix(output, "x.tap", prefix);
        } else {
            write_tape_body(output, "x.tap", display, checksum);
        }
        if (c.writes == Writes::body_then_close) {
            close_tape(output, "x.tap");
        }
    });

    EXPECT_EQ(run.out, c.transcript);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.status, c.status);

    std::vector<std::uint8_t> whole;
    if (c.writes == Writes::prefix) {
        whole.assign(prefix.begin(), prefix.end());
    } else {
        whole.assign(display.begin(), display.end());
        whole.insert(whole.end(), 768, 0x38);
        whole.push_back(checksum);
    }
    ASSERT_LE(c.bytes_taken, whole.size());
    whole.resize(c.bytes_taken);
    EXPECT_EQ(read_file(folder.path / "taken"), whole);
}

const std::string cant_write = "Can't write to x.tap...!\n";
const std::string error_writing = "Error writing to x.tap...!\n";

// clang-format off
const Case cases[] = {
    {"prefix_written", Writes::prefix, -1, false, "", 0, 24},
    {"prefix_write_fails", Writes::prefix, 0, false, cant_write, 1, 0},
    {"body_written", Writes::body, -1, false, "", 0, 6913},
    {"display_write_fails", Writes::body, 0, false, error_writing, 1, 0},
    {"first_attribute_write_fails", Writes::body, 1, false, error_writing, 1, 6144},
    {"last_attribute_write_fails", Writes::body, 768, false, error_writing, 1, 6144 + 767},
    {"checksum_write_fails", Writes::body, 769, false, error_writing, 1, 6912},
    {"body_closed", Writes::body_then_close, -1, true, "", 0, 6913},
    {"close_fails", Writes::body_then_close, 0, true, error_writing, 1, 0},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Cases, FailingWrite, testing::ValuesIn(cases),
                         [](const testing::TestParamInfo<Case>& info) {
                             return std::string(info.param.title);
                         });

} // namespace
