#pragma once
// Start at log-in by XDG autostart: $XDG_CONFIG_HOME/autostart/zovtray.desktop
// (by default ~/.config/autostart/zovtray.desktop), found by the kernel's one
// rule for the settings folder. The file is the setting: it exists or it does not.

#include <string>

namespace zovtray {

// The autostart entry's path; empty when no home folder can be found.
std::string autostart_file();

// Whether the entry exists.
bool autostart_enabled();

// The entry that starts `program` (an absolute path), quoted as desktop
// entries require.
std::string autostart_entry(const std::string& program);

// Writes the entry (through a temporary file and a rename) or removes it.
// On failure returns false and leaves a reason in `error`.
bool set_autostart(bool on, const std::string& program, std::string& error);

// The program the entry starts: the running program's path, as it reads
// after an upgrade replaced the file too ("... (deleted)"); when that path is
// gone, the installed program, else the bare name for PATH to find.
std::string program_for_autostart(std::string running, const std::string& installed);

// Where the install put the tray program.
std::string installed_program_path();

// The running program's own path, for the entry.
std::string own_program_path();

}  // namespace zovtray
