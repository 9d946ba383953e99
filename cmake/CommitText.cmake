# Run at every build (cmake -P): writes OUTPUT with the commit the sources come from,
#   #define ZEV_COMMIT_TEXT "abc1234"
# "abc1234, modified" when tracked files differ from that commit, "commit unknown" outside
# git. The file is rewritten only when its text changes, so a build of the same commit
# recompiles nothing.
find_package(Git QUIET)
set(commit "commit unknown")
if(GIT_FOUND)
  # Sources unpacked inside another project's checkout are not that project's commit.
  execute_process(COMMAND ${GIT_EXECUTABLE} -C ${SOURCE_DIR} rev-parse --show-toplevel
    OUTPUT_VARIABLE top OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE failed ERROR_QUIET)
  file(REAL_PATH "${SOURCE_DIR}" source)
  if(NOT failed AND top)
    file(REAL_PATH "${top}" top)
  endif()
  if(NOT failed AND top STREQUAL source)
    execute_process(COMMAND ${GIT_EXECUTABLE} -C ${SOURCE_DIR} rev-parse --short=7 HEAD
      OUTPUT_VARIABLE hash OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE failed ERROR_QUIET)
  endif()
  if(NOT failed AND hash MATCHES "^[0-9a-f]+$")
    set(commit ${hash})
    execute_process(COMMAND ${GIT_EXECUTABLE} -C ${SOURCE_DIR} diff --quiet HEAD --
      RESULT_VARIABLE modified ERROR_QUIET)
    if(modified)
      set(commit "${hash}, modified")
    endif()
  endif()
endif()
set(text "// Made by cmake/CommitText.cmake at build time.\n#define ZEV_COMMIT_TEXT \"${commit}\"\n")
if(EXISTS ${OUTPUT})
  file(READ ${OUTPUT} old)
endif()
if(NOT old STREQUAL text)
  file(WRITE ${OUTPUT} "${text}")
endif()
