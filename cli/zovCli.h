#pragma once
// The command-line program as a function, so that main() is one line and the
// whole program can be run on strings.

#include <ostream>

namespace zovcli {

// Exit status: 0 done, 1 refused or failed, 2 usage error.
int run(int argc, char** argv, std::ostream& out, std::ostream& err);

}  // namespace zovcli
