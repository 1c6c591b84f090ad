#include "support/program_run.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <poll.h>
#include <stdexcept>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace
{

// Standard input from /dev/null, standard output and standard error into the two pipes. Pipes,
// not files, so that a limit on the size of the files the child writes spares them.
bool redirect_streams(const int out_pipe[2], const int err_pipe[2])
{
    const int null_in = open("/dev/null", O_RDONLY);
    return null_in >= 0 && dup2(null_in, 0) >= 0 && dup2(out_pipe[1], 1) >= 0 &&
           dup2(err_pipe[1], 2) >= 0 && close(out_pipe[0]) == 0 && close(err_pipe[0]) == 0;
}

// Appends what fd holds now to text; false once fd is at its end.
bool read_available(int fd, std::string& text)
{
    char chunk[4096];
    for (;;) {
        const ssize_t got = read(fd, chunk, sizeof chunk);
        if (got > 0) {
            text.append(chunk, static_cast<std::size_t>(got));
        } else {
            return got < 0 && (errno == EAGAIN || errno == EINTR);
        }
    }
}

// Reads both pipes until the child has ended, then takes what they still hold, and returns
// the child's wait status. Not to the pipes' end: a process that the child leaves running
// (Wine's server) may keep them open for seconds.
int collect(pid_t pid, int out_fd, int err_fd, ProgramRun& run)
{
    pollfd fds[2] = {{out_fd, POLLIN, 0}, {err_fd, POLLIN, 0}};
    std::string* texts[2] = {&run.out, &run.err};
    for (const pollfd& entry : fds) {
        fcntl(entry.fd, F_SETFL, O_NONBLOCK);
    }
    int wait_status = 0;
    int open_pipes = 2;
    while (open_pipes > 0) {
        const pid_t ended = waitpid(pid, &wait_status, WNOHANG);
        if (ended < 0) {
            throw std::runtime_error("waitpid failed");
        }
        // Once the child has ended, all it wrote is in the pipes: one more read takes it.
        poll(fds, 2, ended == pid ? 0 : 10);
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd >= 0 && !read_available(fds[i].fd, *texts[i])) {
                fds[i].fd = -1; // at its end: poll passes over it from now on
                --open_pipes;
            }
        }
        if (ended == pid) {
            return wait_status;
        }
    }
    // Both pipes closed: the child is ending.
    if (waitpid(pid, &wait_status, 0) != pid) {
        throw std::runtime_error("waitpid failed");
    }
    return wait_status;
}

[[noreturn]] void exec_program(const std::string& program, const std::vector<std::string>& args,
                               const fs::path& folder, std::optional<long> file_size_limit)
{
    if (chdir(folder.c_str()) != 0) {
        _exit(126);
    }
    if (file_size_limit) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{static_cast<rlim_t>(*file_size_limit),
                           static_cast<rlim_t>(*file_size_limit)};
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
                       const fs::path& folder, std::optional<long> file_size_limit)
{
    return run_in_child([&] { exec_program(program, args, folder, file_size_limit); });
}

ProgramRun run_in_child(const std::function<void()>& body)
{
    int out_pipe[2];
    int err_pipe[2];
    if (pipe(out_pipe) != 0 || pipe(err_pipe) != 0) {
        throw std::runtime_error("pipe failed");
    }
    std::fflush(nullptr); // or the child would write out the parent's pending output again
    const pid_t pid = fork();
    if (pid < 0) {
        throw std::runtime_error("fork failed");
    }
    if (pid == 0) {
        if (!redirect_streams(out_pipe, err_pipe)) {
            _exit(126);
        }
        body();
        std::fflush(nullptr);
        _exit(0);
    }
    close(out_pipe[1]);
    close(err_pipe[1]);
    ProgramRun run;
    const int wait_status = collect(pid, out_pipe[0], err_pipe[0], run);
    close(out_pipe[0]);
    close(err_pipe[0]);
    run.status = WIFEXITED(wait_status) ? WEXITSTATUS(wait_status) : -1;
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
