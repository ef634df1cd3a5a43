#pragma once
// Where the task files live: one lookup for every program, so that the tray
// and the command line always work on the same folder.

#include <string>

namespace zov {

// The home folder: HOME when it is an absolute path, else the one the password
// database gives for this user. Empty when neither gives one.
std::string home_dir();

// The base folder that an XDG variable names (XDG_DATA_HOME, XDG_CONFIG_HOME):
// its value when that is an absolute path (relative values are ignored, as
// the XDG base-directory rules say), else `fallback` under the home folder.
// No trailing separator. Empty when the home folder is needed but unknown.
std::string xdg_base(const char* variable, const char* fallback);

// The same decision without the environment: the variable's value (null when
// unset), HOME's value (null when unset), and the password database's home
// folder (empty when there is none).
std::string xdg_base(const char* value, const char* home, const std::string& passwd_home,
                         const char* fallback);

// The data folder, $XDG_DATA_HOME/Zovaro/ (by default ~/.local/share/Zovaro/),
// with a trailing separator. Empty when no home folder can be found.
std::string data_dir();

// The settings folder, $XDG_CONFIG_HOME (by default ~/.config), without a
// trailing separator. Empty when no home folder can be found. Every program
// finds its settings, and the tray its start-at-log-in entry, here.
std::string config_dir();

// The settings file every program reads, $XDG_CONFIG_HOME/Zovaro.conf. Empty
// when no home folder can be found.
std::string settings_file();

// The folder as one name, whichever path reaches it: symbolic links and "."
// or ".." resolved, with a trailing separator. Parts of the path that do not
// exist yet are kept as written below the deepest part that does, so that a
// folder about to be made is named as it will be. Two paths that reach one
// folder give one name.
std::string resolved_dir(const std::string& path);

// Makes sure the folder exists, creating each missing folder along the path
// with mode 0700 (working hours are private). False, with errno set, when a
// folder could not be made or a part of the path is not a folder.
bool make_dirs(const std::string& path);

}  // namespace zov
