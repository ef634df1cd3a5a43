# Writes the kernel's version source at build time, so that the git commit
# it names is the one built, not the one configured. Rewrites the file only
# when its text changes (nothing recompiles otherwise).
# Input: ZOV_VERSION, ZOV_SOURCE_DIR, ZOV_OUTPUT.
set(commit "")
find_package(Git QUIET)
if(GIT_FOUND AND EXISTS "${ZOV_SOURCE_DIR}/.git")
  execute_process(COMMAND "${GIT_EXECUTABLE}" -C "${ZOV_SOURCE_DIR}" rev-parse --short=10 HEAD
    OUTPUT_VARIABLE commit OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET RESULT_VARIABLE failed)
  if(failed)
    set(commit "")
  else()
    execute_process(COMMAND "${GIT_EXECUTABLE}" -C "${ZOV_SOURCE_DIR}" diff-index --quiet HEAD --
      RESULT_VARIABLE dirty ERROR_QUIET)
    if(dirty)
      string(APPEND commit "-dirty")
    endif()
  endif()
endif()
set(text "${ZOV_VERSION}")
if(commit)
  string(APPEND text " (git ${commit})")
endif()
string(REPLACE "." ";" parts "${ZOV_VERSION}")
list(GET parts 0 major)
list(GET parts 1 minor)
list(GET parts 2 patch)
file(WRITE "${ZOV_OUTPUT}.new" "// Written by cmake/ZovVersion.cmake at build time.
#include <zov/zovVersion.h>

#include <cstdio>

namespace zov {

const char* version()
{
    return \"${ZOV_VERSION}\";
}

const char* version_text()
{
    return \"${text}\";
}

std::string version_title()
{
    char text[32];
    std::snprintf(text, sizeof text, \"V%d.%d-%02d\", ${major}, ${minor}, ${patch});
    return text;
}

}  // namespace zov
")
file(COPY_FILE "${ZOV_OUTPUT}.new" "${ZOV_OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${ZOV_OUTPUT}.new")
