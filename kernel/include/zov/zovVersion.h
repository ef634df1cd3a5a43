#pragma once
// The version every program and the package tell: the project's version from
// its build files, with the git commit when built from a checkout.

#include <string>

namespace zov {

// "1.0.2"
const char* version();

// "1.0.2 (git 1a2b3c4d5e)", or "1.0.2" when not built from a checkout; a
// commit with uncommitted changes reads "1a2b3c4d5e-dirty".
const char* version_text();

// The short form in the window title: "V1.0-02".
std::string version_title();

}  // namespace zov
