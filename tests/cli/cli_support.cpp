#include "cli_support.h"

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <cerrno>
#include <csignal>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "test_support.h"

namespace zovtest {

namespace {

zov_result run_program(const zov_run& run, std::vector<std::string> argv);

}  // namespace

zov_result run_zov(const zov_run& run)
{
    std::vector<std::string> argv = {ZOV_PROGRAM};
    argv.insert(argv.end(), run.args.begin(), run.args.end());
    return run_program(run, argv);
}

std::string run_bash(const zov_run& run, const std::string& script)
{
    const zov_result result = run_program(run, {"/bin/bash", "--norc", "-c", script});
    EXPECT_EQ(result.status, 0) << result.err;
    return result.out;
}

namespace {

zov_result run_program(const zov_run& run, std::vector<std::string> argv)
{

    std::vector<std::string> env = {"TZ=" + run.tz, "PATH=/usr/bin:/bin", "LC_ALL=C.UTF-8"};
    // faketime is preloaded before the sanitizer's runtime; that order is fine.
    const char* asan = std::getenv("ASAN_OPTIONS");
    env.push_back(std::string("ASAN_OPTIONS=") + (asan ? std::string(asan) + ":" : std::string())
                  + "verify_asan_link_order=0");
    for (const char* keep : {"UBSAN_OPTIONS", "TMPDIR"})
        if (const char* value = std::getenv(keep))
            env.push_back(std::string(keep) + "=" + value);
    if (!run.clock.empty()) {
        // An absolute FAKETIME stops the clock there for the whole run.
        env.push_back(std::string("LD_PRELOAD=") + ZOV_FAKETIME_LIB);
        env.push_back("FAKETIME=" + run.clock);
    }
    env.insert(env.end(), run.env.begin(), run.env.end());

    std::vector<char*> c_argv, c_env;
    for (std::string& a : argv)
        c_argv.push_back(&a[0]);
    c_argv.push_back(nullptr);
    for (std::string& e : env)
        c_env.push_back(&e[0]);
    c_env.push_back(nullptr);

    // Pipes, not files: a file-size limit must not cut the program's own streams.
    int out_pipe[2], err_pipe[2];
    if (::pipe2(out_pipe, O_CLOEXEC) != 0 || ::pipe2(err_pipe, O_CLOEXEC) != 0) {
        ADD_FAILURE() << "pipe failed";
        return {};
    }
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int in = ::open("/dev/null", O_RDONLY);
        if (in < 0 || ::dup2(in, 0) < 0 || ::dup2(out_pipe[1], 1) < 0 || ::dup2(err_pipe[1], 2) < 0)
            ::_exit(125);
        if (run.uid >= 0 && (::setgid(static_cast<gid_t>(run.uid)) != 0 || ::setuid(static_cast<uid_t>(run.uid)) != 0))
            ::_exit(125);
        if (run.file_size_limit >= 0) {
            ::signal(SIGXFSZ, SIG_IGN);
            const rlim_t limit = static_cast<rlim_t>(run.file_size_limit);
            const struct rlimit rl = {limit, limit};
            if (::setrlimit(RLIMIT_FSIZE, &rl) != 0)
                ::_exit(125);
        }
        ::execve(c_argv[0], c_argv.data(), c_env.data());
        ::_exit(126);
    }
    ::close(out_pipe[1]);
    ::close(err_pipe[1]);
    zov_result result;
    struct pollfd fds[2] = {{out_pipe[0], POLLIN, 0}, {err_pipe[0], POLLIN, 0}};
    std::string* sinks[2] = {&result.out, &result.err};
    int open_pipes = 2;
    while (open_pipes > 0) {
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR)))
                continue;
            char buffer[4096];
            const ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
            if (n > 0) {
                sinks[i]->append(buffer, static_cast<std::size_t>(n));
            } else if (n == 0 || errno != EINTR) {
                ::close(fds[i].fd);
                fds[i].fd = -1;
                --open_pipes;
            }
        }
    }
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid) {
        ADD_FAILURE() << "could not run " << ZOV_PROGRAM;
        return result;
    }
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return result;
}

}  // namespace

std::map<std::string, std::string> snapshot(const std::string& dir)
{
    std::map<std::string, std::string> files;
    std::error_code ec;
    for (auto it = std::filesystem::recursive_directory_iterator(dir, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
        const std::string rel = std::filesystem::relative(it->path(), dir).string();
        if (rel == ".lock" || rel == ".HOURS.TSK.index")
            continue;  // the kernel's lock file and derived index
        files[rel] = it->is_regular_file() ? read_file(it->path().string()) : std::string("<folder>");
    }
    return files;
}

std::vector<std::vector<std::string>> parse_csv(const std::string& text)
{
    std::vector<std::vector<std::string>> records;
    std::vector<std::string> record;
    std::string field;
    bool quoted = false;
    bool any = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                field += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == '"') {
            quoted = true;
            any = true;
        } else if (c == ',') {
            record.push_back(field);
            field.clear();
            any = true;
        } else if (c == '\n') {
            if (!field.empty() && field.back() == '\r')
                field.pop_back();
            record.push_back(field);
            records.push_back(record);
            record.clear();
            field.clear();
            any = false;
        } else {
            field += c;
            any = true;
        }
    }
    if (any) {
        record.push_back(field);
        records.push_back(record);
    }
    return records;
}

}  // namespace zovtest
