# A man page as installed: the version in its header line set to the
# project's, compressed as Debian wants it (gzip -9n: no name, no time).
# Input: ZOV_VERSION, ZOV_INPUT, ZOV_OUTPUT (the .gz).
file(READ "${ZOV_INPUT}" page)
string(REGEX REPLACE "\"(zov[a-z]*) [0-9][0-9.]*\"" "\"\\1 ${ZOV_VERSION}\"" page "${page}")
file(WRITE "${ZOV_OUTPUT}.tmp" "${page}")
execute_process(COMMAND gzip -9n -c "${ZOV_OUTPUT}.tmp" OUTPUT_FILE "${ZOV_OUTPUT}"
  RESULT_VARIABLE failed)
file(REMOVE "${ZOV_OUTPUT}.tmp")
if(failed)
  message(FATAL_ERROR "gzip failed on ${ZOV_INPUT}")
endif()
