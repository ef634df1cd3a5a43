#pragma once
// Start at log-in by XDG autostart: $XDG_CONFIG_HOME/autostart/zovtray.desktop
// (by default ~/.config/autostart/zovtray.desktop). The file is the setting:
// it exists or it does not.

#include <string>

namespace zovtray {

// The autostart entry's path.
std::string autostart_file();

// Whether the entry exists.
bool autostart_enabled();

// The entry that starts `program` (an absolute path), quoted as desktop
// entries require.
std::string autostart_entry(const std::string& program);

// Writes the entry (through a temporary file and a rename) or removes it.
// On failure returns false and leaves a reason in `error`.
bool set_autostart(bool on, const std::string& program, std::string& error);

// The running program's own path, for the entry.
std::string own_program_path();

}  // namespace zovtray
