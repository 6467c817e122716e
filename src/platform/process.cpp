#include "platform/process.h"

#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <thread>

#include "platform/run_error.h"

extern char** environ;

namespace orvanta {
namespace {

bool isExecutableFile(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
           access(path.c_str(), X_OK) == 0;
}

// Spawns argv; returns the process id or -1.
pid_t spawn(const std::vector<std::string>& argv) {
    if (argv.empty() || argv[0].empty())
        return -1;
    std::vector<char*> args;
    args.reserve(argv.size() + 1);
    for (const std::string& arg : argv)
        args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    // What outside programs print goes to the error stream: the standard output of the
    // command line carries only its result.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, STDERR_FILENO, STDOUT_FILENO);
    pid_t pid = -1;
    const int failed = posix_spawnp(&pid, argv[0].c_str(), &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return failed != 0 ? -1 : pid;
}

}  // namespace

std::string findProgram(const std::string& name) {
    if (name.empty())
        return {};
    if (name.find('/') != std::string::npos)
        return isExecutableFile(name) ? name : std::string{};
    const char* path = std::getenv("PATH");
    std::string folders = path ? path : "/usr/local/bin:/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= folders.size()) {
        std::size_t end = folders.find(':', start);
        if (end == std::string::npos)
            end = folders.size();
        const std::string folder = folders.substr(start, end - start);
        const std::string candidate = (end == start ? std::string(".") : folder) + "/" + name;
        if (isExecutableFile(candidate))
            return candidate;
        start = end + 1;
    }
    return {};
}

void startProgramDetached(const std::vector<std::string>& argv) {
    const std::string program = argv.empty() ? std::string{} : argv[0];
    if (findProgram(program).empty())
        throw RunError(errors::FileNotFound, "File not found: " + program);
    pid_t pid = spawn(argv);
    if (pid < 0)
        throw RunError(errors::FileNotFound, "File not found: " + program);
    // Reap the child when it ends so that it leaves no zombie behind.
    std::thread([pid] { waitpid(pid, nullptr, 0); }).detach();
}

std::optional<int> runProgramAndWait(const std::vector<std::string>& argv,
                                     std::chrono::milliseconds limit) {
    pid_t pid = spawn(argv);
    if (pid < 0)
        return std::nullopt;
    const auto deadline = std::chrono::steady_clock::now() + limit;
    int status = 0;
    for (;;) {
        pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid)
            break;
        if (done < 0 && errno != EINTR)
            return std::nullopt;
        if (std::chrono::steady_clock::now() >= deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return std::nullopt;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (!WIFEXITED(status))
        return std::nullopt;
    // posix_spawnp reports an exec failure of the child as exit status 127.
    return WEXITSTATUS(status);
}

}  // namespace orvanta
