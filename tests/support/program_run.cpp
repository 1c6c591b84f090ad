#include "support/program_run.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace
{

[[noreturn]] void exec_child(const std::string& program, const std::vector<std::string>& args,
                             const fs::path& folder, long file_size_limit, const fs::path& out,
                             const fs::path& err)
{
    const int null_in = open("/dev/null", O_RDONLY);
    const int out_fd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int err_fd = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (null_in < 0 || out_fd < 0 || err_fd < 0 || dup2(null_in, 0) < 0 || dup2(out_fd, 1) < 0 ||
        dup2(err_fd, 2) < 0 || chdir(folder.c_str()) != 0) {
        _exit(126);
    }
    if (file_size_limit > 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{static_cast<rlim_t>(file_size_limit),
                           static_cast<rlim_t>(file_size_limit)};
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0) {
            _exit(126);
        }
    }
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const auto& arg : args) {
        argv.push_back(const_cast<char*>(arg.c_str()));
    }
    argv.push_back(nullptr);
    execvp(program.c_str(), argv.data());
    _exit(127);
}

} // namespace

ProgramRun run_program(const std::string& program, const std::vector<std::string>& args,
                       const fs::path& folder, long file_size_limit)
{
    // The captured streams go beside the folder, not into it, so that the folder holds only
    // what the program made there.
    TempFolder capture;
    const fs::path out = capture.path / "stdout";
    const fs::path err = capture.path / "stderr";

    const pid_t child = fork();
    if (child < 0) {
        throw std::runtime_error("fork failed");
    }
    if (child == 0) {
        exec_child(program, args, folder, file_size_limit, out, err);
    }
    int wait_status = 0;
    if (waitpid(child, &wait_status, 0) != child) {
        throw std::runtime_error("waitpid failed");
    }
    ProgramRun run;
    run.status = WIFEXITED(wait_status) ? WEXITSTATUS(wait_status) : -1;
    const std::vector<std::uint8_t> out_bytes = read_file(out);
    const std::vector<std::uint8_t> err_bytes = read_file(err);
    run.out.assign(out_bytes.begin(), out_bytes.end());
    run.err.assign(err_bytes.begin(), err_bytes.end());
    return run;
}

TempFolder::TempFolder()
{
    std::string pattern = (fs::temp_directory_path() / "tapemill-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("mkdtemp failed");
    }
    path = pattern;
}

TempFolder::~TempFolder()
{
    std::error_code ignored;
    fs::remove_all(path, ignored);
}

std::vector<std::uint8_t> read_file(const fs::path& file)
{
    std::ifstream stream(file, std::ios::binary);
    if (!stream) {
        throw std::runtime_error("cannot read " + file.string());
    }
    return {std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
}

void write_file(const fs::path& file, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream stream(file, std::ios::binary | std::ios::trunc);
    stream.write(reinterpret_cast<const char*>(bytes.data()),
                 static_cast<std::streamsize>(bytes.size()));
    if (!stream) {
        throw std::runtime_error("cannot write " + file.string());
    }
}
