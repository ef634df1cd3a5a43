#include "zovAutostart.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <zov/zovDataDir.h>

#ifndef ZOV_INSTALLED_TRAY
#define ZOV_INSTALLED_TRAY "/usr/bin/zovtray"
#endif

namespace zovtray {

namespace {

bool is_file(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool make_dir(const std::string& path)
{
    if (::mkdir(path.c_str(), 0700) == 0 || errno == EEXIST) {
        struct stat st;
        return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    }
    return false;
}

// Desktop entry quoting of one argument of Exec.
std::string quote_arg(const std::string& arg)
{
    if (arg.find_first_of(" \t\n\"'\\><~|&;$*?#()`%=") == std::string::npos)
        return arg;
    std::string out = "\"";
    for (const char c : arg) {
        if (c == '"' || c == '`' || c == '$' || c == '\\')
            out += '\\';
        out += c;
    }
    out += '"';
    std::string escaped;  // the entry's string escapes come on top
    for (const char c : out) {
        if (c == '\\')
            escaped += "\\\\";
        else if (c == '%')
            escaped += "%%";
        else
            escaped += c;
    }
    return escaped;
}

bool write_all(int fd, const std::string& text)
{
    const char* p = text.data();
    std::size_t left = text.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

std::string autostart_file()
{
    const std::string config = zov::config_dir();
    if (config.empty())
        return config;
    return config + "/autostart/zovtray.desktop";
}

bool autostart_enabled()
{
    struct stat st;
    return ::stat(autostart_file().c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string autostart_entry(const std::string& program)
{
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Zovaro\n"
           "Comment=Record the hours you work on each task from the notification area\n"
           "Exec=" + quote_arg(program) + "\n"
           "Icon=" ZOV_APP_ID "\n"
           "Terminal=false\n"
           "X-GNOME-Autostart-enabled=true\n";
}

bool set_autostart(bool on, const std::string& program, std::string& error)
{
    const std::string file = autostart_file();
    if (file.empty()) {
        error = "no home folder: HOME is not an absolute path and the password database has no entry";
        return false;
    }
    if (!on) {
        if (::unlink(file.c_str()) == 0 || errno == ENOENT)
            return true;
        error = file + ": " + std::strerror(errno);
        return false;
    }
    const std::string config = zov::config_dir();
    const std::string dir = config + "/autostart";
    if (!make_dir(config) || !make_dir(dir)) {
        error = dir + ": " + std::strerror(errno ? errno : ENOTDIR);
        return false;
    }
    const std::string temp = file + ".new";
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        error = temp + ": " + std::strerror(errno);
        return false;
    }
    const bool written = write_all(fd, autostart_entry(program)) && ::fsync(fd) == 0;
    const int saved = errno;
    ::close(fd);
    if (!written || ::rename(temp.c_str(), file.c_str()) != 0) {
        error = file + ": " + std::strerror(written ? errno : saved);
        ::unlink(temp.c_str());
        return false;
    }
    return true;
}

std::string program_for_autostart(std::string running, const std::string& installed)
{
    // An upgrade that replaced the running binary leaves the kernel's link
    // reading "... (deleted)"; the program's place is still the same path.
    const std::string deleted = " (deleted)";
    if (running.size() > deleted.size() &&
        running.compare(running.size() - deleted.size(), deleted.size(), deleted) == 0)
        running.erase(running.size() - deleted.size());
    if (!running.empty() && running[0] == '/' && is_file(running))
        return running;
    if (is_file(installed))
        return installed;
    return "zovtray";  // found through PATH at log-in
}

std::string installed_program_path()
{
    return ZOV_INSTALLED_TRAY;
}

std::string own_program_path()
{
    char buf[4096];
    const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    const std::string running = n > 0 ? std::string(buf, static_cast<std::size_t>(n)) : std::string();
    return program_for_autostart(running, installed_program_path());
}

}  // namespace zovtray
