#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// What one run of a program left on its streams, and how it ended.
struct ProgramRun {
    int status = -1; // exit status, or -1 when the program was ended by a signal
    std::string out;
    std::string err;
};

// Runs program (a path, or a name looked up on PATH) with args, the program name added as the
// first argument, in folder, with standard input closed and both output streams captured. A
// file_size_limit caps every file the program writes at that many bytes (RLIMIT_FSIZE, with
// SIGXFSZ ignored, so that a write past it fails as on a full disk instead of killing the program).
ProgramRun run_program(const std::string& program, const std::vector<std::string>& args,
                       const std::filesystem::path& folder,
                       std::optional<long> file_size_limit = std::nullopt);

// Calls body in a child process with both output streams captured, as run_program does; the
// status is body's own exit status, or 0 when body returns.
ProgramRun run_in_child(const std::function<void()>& body);

// A fresh, empty folder under the system's temporary folder, removed with all it holds.
struct TempFolder {
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    std::filesystem::path path;
};

std::vector<std::uint8_t> read_file(const std::filesystem::path& file);
void write_file(const std::filesystem::path& file, const std::vector<std::uint8_t>& bytes);
