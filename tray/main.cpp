// The tray program: the toolkit creates the application object and runs it.
// "--version" is answered before the toolkit starts, so it needs no display.
#include <cstdio>
#include <cstring>

#include <zov/zovVersion.h>

#include "zovTaskBarApp.h"

wxIMPLEMENT_APP_NO_MAIN(zovTaskBarApp);

int main(int argc, char** argv)
{
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("zovtray %s\n", zov::version_text());
        return 0;
    }
    return wxEntry(argc, argv);
}
