// The encoder on one screen, and a whole conversion run in-process between two files.
#include "app/run_conversion.h"
#include "screen/display_encoder.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <random>
#include <string>
#include <unistd.h>

namespace
{

PixelRows random_rows()
{
    std::mt19937 generator(42);
    PixelRows rows;
    for (auto& byte : rows) {
        byte = static_cast<std::uint8_t>(generator());
    }
    return rows;
}

void encode_screen(benchmark::State& state)
{
    const PixelRows rows = random_rows();
    DisplayFile display;
    for (auto _ : state) {
        std::uint8_t checksum = 0xFF;
        encode_display_file(rows, display, checksum);
        benchmark::DoNotOptimize(display.data());
        benchmark::DoNotOptimize(checksum);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * 6144);
}
BENCHMARK(encode_screen);

// The run's console lines go to /dev/null while it is timed, and come back for the report.
void whole_conversion(benchmark::State& state)
{
    char folder[] = "/tmp/tapemill-bench-XXXXXX";
    if (mkdtemp(folder) == nullptr) {
        state.SkipWithError("mkdtemp failed");
        return;
    }
    std::string input = std::string(folder) + "/in.bmp";
    std::string output = std::string(folder) + "/out.tap";
    const PixelRows rows = random_rows();
    std::FILE* picture = std::fopen(input.c_str(), "wb");
    const bool written = picture != nullptr && std::fwrite(rows.data(), 62, 1, picture) == 1 &&
                         std::fwrite(rows.data(), 6144, 1, picture) == 1;
    if (picture == nullptr || std::fclose(picture) != 0 || !written) {
        state.SkipWithError("cannot write the picture");
        return;
    }
    char program[] = "tapemill";
    char* argv[] = {program, input.data(), output.data(), nullptr};

    std::fflush(stdout);
    const int console = dup(1);
    const int null_device = open("/dev/null", O_WRONLY);
    dup2(null_device, 1);
    for (auto _ : state) {
        benchmark::DoNotOptimize(run_conversion(3, argv));
    }
    std::fflush(stdout);
    dup2(console, 1);
    close(console);
    close(null_device);

    std::remove(output.c_str());
    std::remove(input.c_str());
    rmdir(folder);
}
BENCHMARK(whole_conversion);

} // namespace

BENCHMARK_MAIN();
