#pragma once

#include <string>

class vu_shell
{
public:
    // Opens path with the desktop's program for it ("xdg-open", looked up on
    // PATH). The path is handed over as one argument, never through a shell.
    // Only the verb "open" is known. True when the opener could be started.
    static bool open_file(const std::string& path, const std::string& verb);
};
