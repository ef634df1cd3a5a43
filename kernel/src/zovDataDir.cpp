#include <zov/zovDataDir.h>

#include <cerrno>
#include <cstdlib>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include <zov/zovKernel.h>

namespace {

bool is_absolute(const char* path)
{
    return path && path[0] == '/';
}

// "/data/" and "/data" name one folder; "/" becomes "" so that appending
// "/name" never gives "//name".
std::string trimmed(std::string path)
{
    while (!path.empty() && path.back() == '/')
        path.pop_back();
    return path;
}

std::string lookup_passwd_home()
{
    long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    if (size < 1024)
        size = 1024;
    // A large entry asks for a bigger buffer; a few doublings are plenty.
    for (int round = 0; round < 6; ++round, size *= 4) {
        std::vector<char> buffer(static_cast<std::size_t>(size));
        struct passwd entry;
        struct passwd* found = nullptr;
        const int rc = ::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found);
        if (rc == ERANGE)
            continue;
        if (rc != 0 || !found || !is_absolute(found->pw_dir))
            return std::string();
        return found->pw_dir;
    }
    return std::string();
}

}  // namespace

namespace zov {

std::string xdg_base(const char* value, const char* home, const std::string& passwd_home,
                         const char* fallback)
{
    if (is_absolute(value)) {
        const std::string base = trimmed(value);
        return base.empty() ? std::string("/") : base;
    }
    std::string base;
    if (is_absolute(home))
        base = home;
    else if (is_absolute(passwd_home.c_str()))
        base = passwd_home;
    else
        return std::string();
    return trimmed(base) + "/" + fallback;
}

std::string home_dir()
{
    const char* home = std::getenv("HOME");
    if (is_absolute(home))
        return home;
    return lookup_passwd_home();
}

std::string xdg_base(const char* variable, const char* fallback)
{
    const char* value = std::getenv(variable);
    const char* home = std::getenv("HOME");
    // The password database only when HOME cannot serve.
    const std::string from_passwd = is_absolute(value) || is_absolute(home) ? std::string() : lookup_passwd_home();
    return xdg_base(value, home, from_passwd, fallback);
}

std::string data_dir()
{
    const std::string base = xdg_base("XDG_DATA_HOME", ".local/share");
    if (base.empty())
        return base;
    return trimmed(base) + "/" + zovKernel::kernel_name() + "/";
}

std::string config_dir()
{
    return trimmed(xdg_base("XDG_CONFIG_HOME", ".config"));
}

std::string settings_file()
{
    const std::string base = config_dir();
    if (base.empty())
        return base;
    return base + "/" + zovKernel::kernel_name() + ".conf";
}

std::string resolved_dir(const std::string& path)
{
    if (path.empty())
        return path;
    std::string head = trimmed(path);
    std::string tail;  // the parts below `head` that do not exist (yet)
    for (;;) {
        if (head.empty())
            head = path[0] == '/' ? "/" : ".";
        char* real = ::realpath(head.c_str(), nullptr);
        if (real) {
            std::string out = trimmed(real);
            std::free(real);
            return out + tail + "/";
        }
        const std::string::size_type slash = head.rfind('/');
        if (slash == std::string::npos) {
            if (head == ".")
                return trimmed(path) + "/";  // not even the working folder resolves
            tail = "/" + head + tail;
            head = ".";
            continue;
        }
        if (slash == 0 && head.size() == 1)
            return trimmed(path) + "/";
        tail = head.substr(slash) + tail;
        head = head.substr(0, slash);
    }
}

bool make_dirs(const std::string& path)
{
    struct stat st;
    std::size_t pos = 0;
    while (pos != std::string::npos) {
        pos = path.find('/', pos + 1);
        const std::string part = path.substr(0, pos);
        if (part.empty() || part.back() == '/')
            continue;
        if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
            return false;
    }
    if (::stat(path.c_str(), &st) != 0)
        return false;
    if (!S_ISDIR(st.st_mode)) {
        errno = ENOTDIR;
        return false;
    }
    return true;
}

}  // namespace zov
