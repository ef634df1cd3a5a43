#include <vu_utils/vu_shell.h>

#include <cerrno>
#include <spawn.h>
#include <sys/wait.h>

#include <thread>
#include <vector>

extern char** environ;

bool vu_shell::open_file(const std::string& path, const std::string& verb)
{
    if (verb != "open" || path.empty())
        return false;
    std::string program = "xdg-open";
    std::string argument = path;
    // A path that starts with "-" would read as an option.
    if (argument[0] == '-')
        argument = "./" + argument;
    std::vector<char*> argv{&program[0], &argument[0], nullptr};
    pid_t pid = 0;
    if (posix_spawnp(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ) != 0)
        return false;
    // Reap the opener without blocking the caller.
    std::thread([pid] {
        int status = 0;
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    }).detach();
    return true;
}
