// Where the data folder is: the XDG variable, HOME, the password database.
#include <gtest/gtest.h>

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

#include "test_support.h"

using namespace zovtest;

namespace {

struct base_case
{
    const char* name;
    const char* value;  // the XDG variable; null: unset
    const char* home;   // HOME; null: unset
    const char* passwd; // the password database's home folder
    const char* expected;
};

TEST(DataDir, BaseFolderByTable)
{
    const base_case cases[] = {
        {"absolute variable wins", "/xdg/data", "/home/u", "/pw", "/xdg/data"},
        {"trailing separators go", "/xdg/data//", "/home/u", "/pw", "/xdg/data"},
        {"root as the variable", "/", "/home/u", "/pw", "/"},
        {"relative variable is ignored", "xdg/data", "/home/u", "/pw", "/home/u/.local/share"},
        {"empty variable is ignored", "", "/home/u", "/pw", "/home/u/.local/share"},
        {"unset variable", nullptr, "/home/u", "/pw", "/home/u/.local/share"},
        {"HOME with a trailing separator", nullptr, "/home/u/", "/pw", "/home/u/.local/share"},
        {"HOME is the root", nullptr, "/", "/pw", "/.local/share"},
        {"relative HOME: the password database", nullptr, "relhome", "/pw/u", "/pw/u/.local/share"},
        {"empty HOME: the password database", nullptr, "", "/pw/u", "/pw/u/.local/share"},
        {"unset HOME: the password database", nullptr, nullptr, "/pw/u", "/pw/u/.local/share"},
        {"no home anywhere", nullptr, "relhome", "", ""},
        {"no home, but an absolute variable", "/xdg", "", "", "/xdg"},
        {"a relative password entry is none", nullptr, "", "pw", ""},
    };
    for (const base_case& c : cases)
        EXPECT_EQ(zov::xdg_base(c.value, c.home, c.passwd, ".local/share"), c.expected) << c.name;
}

// The environment as the programs see it.
class DataDirEnv : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (const char* name : {"HOME", "XDG_DATA_HOME"}) {
            const char* v = std::getenv(name);
            m_saved.emplace_back(name, v ? std::string(v) : std::string("\x01"));
        }
    }
    void TearDown() override
    {
        for (const auto& [name, value] : m_saved) {
            if (value == "\x01")
                unsetenv(name.c_str());
            else
                setenv(name.c_str(), value.c_str(), 1);
        }
    }
    std::vector<std::pair<std::string, std::string>> m_saved;
};

TEST_F(DataDirEnv, DataFolderFromTheEnvironment)
{
    setenv("HOME", "/home/someone", 1);
    unsetenv("XDG_DATA_HOME");
    EXPECT_EQ(zov::data_dir(), "/home/someone/.local/share/Zovaro/");
    setenv("XDG_DATA_HOME", "/var/xdg/", 1);
    EXPECT_EQ(zov::data_dir(), "/var/xdg/Zovaro/");
    setenv("XDG_DATA_HOME", "relative", 1);
    EXPECT_EQ(zov::data_dir(), "/home/someone/.local/share/Zovaro/");

    // A HOME that is not absolute gives way to this user's password entry.
    struct passwd* pw = ::getpwuid(::getuid());
    if (!pw || !pw->pw_dir || pw->pw_dir[0] != '/')
        GTEST_SKIP() << "this user has no password entry with a home folder";
    std::string home = pw->pw_dir;
    while (home.size() > 1 && home.back() == '/')
        home.pop_back();
    if (home == "/")
        home.clear();
    unsetenv("XDG_DATA_HOME");
    for (const char* bad : {"relhome", ""}) {
        setenv("HOME", bad, 1);
        EXPECT_EQ(zov::home_dir(), pw->pw_dir) << bad;
        EXPECT_EQ(zov::data_dir(), home + "/.local/share/Zovaro/") << bad;
    }
}

TEST_F(DataDirEnv, SettingsFollowTheSameRuleAsTheData)
{
    const char* saved = std::getenv("XDG_CONFIG_HOME");
    const std::string restore = saved ? saved : "";
    setenv("HOME", "/home/someone", 1);
    unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(zov::config_dir(), "/home/someone/.config");
    EXPECT_EQ(zov::settings_file(), "/home/someone/.config/Zovaro.conf");
    setenv("XDG_CONFIG_HOME", "/etc/xdg-user//", 1);
    EXPECT_EQ(zov::settings_file(), "/etc/xdg-user/Zovaro.conf");

    // Without HOME both come from the password database, never from "/".
    struct passwd* pw = ::getpwuid(::getuid());
    if (pw && pw->pw_dir && pw->pw_dir[0] == '/' && std::string(pw->pw_dir) != "/") {
        unsetenv("XDG_CONFIG_HOME");
        unsetenv("HOME");
        std::string home = pw->pw_dir;
        while (home.size() > 1 && home.back() == '/')
            home.pop_back();
        EXPECT_EQ(zov::config_dir(), home + "/.config");
        EXPECT_EQ(zov::settings_file(), home + "/.config/Zovaro.conf");
    }
    if (saved)
        setenv("XDG_CONFIG_HOME", restore.c_str(), 1);
    else
        unsetenv("XDG_CONFIG_HOME");
}

// Paths that reach one folder name it once, so that one program per folder
// holds whichever path started it.
TEST(DataDir, ResolvedFolderByTable)
{
    TempDir tmp;
    ASSERT_TRUE(zov::make_dirs(tmp.path() + "real/data"));
    ASSERT_EQ(0, ::symlink((tmp.path() + "real").c_str(), (tmp.path() + "link").c_str()));
    ASSERT_EQ(0, ::symlink("real/data", (tmp.path() + "rel").c_str()));
    char* real_tmp = ::realpath(tmp.path().c_str(), nullptr);
    ASSERT_NE(nullptr, real_tmp);
    const std::string base = std::string(real_tmp) + "/";
    std::free(real_tmp);
    const std::pair<std::string, std::string> cases[] = {
        {tmp.path() + "real/data", base + "real/data/"},
        {tmp.path() + "real/data/", base + "real/data/"},
        {tmp.path() + "link/data/", base + "real/data/"},
        {tmp.path() + "rel", base + "real/data/"},
        {tmp.path() + "real/./data/../data//", base + "real/data/"},
        // Not made yet: named as it will be, below the resolved part.
        {tmp.path() + "link/data/new/deeper/", base + "real/data/new/deeper/"},
        {"/", "/"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(zov::resolved_dir(c.first), c.second) << c.first;
}

TEST(DataDir, MakeDirsCreatesTheMissingParents)
{
    TempDir tmp;
    EXPECT_TRUE(zov::make_dirs(tmp.path() + "a/b/c/"));
    EXPECT_TRUE(exists(tmp.path() + "a/b/c"));
    EXPECT_TRUE(zov::make_dirs(tmp.path() + "a/b/c"));  // already there
    write_file(tmp.file("file"), "x");
    EXPECT_FALSE(zov::make_dirs(tmp.file("file")));
    EXPECT_FALSE(zov::make_dirs(tmp.file("file") + "/below/"));
}

}  // namespace
