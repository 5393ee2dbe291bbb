# Writes the program's name, version and source revision into a C++ file.
# Run at every build (cmake -P), so `git describe` follows new commits and
# local changes; the file is rewritten only when its text changes, so an
# unchanged revision rebuilds nothing.
#   cmake -DSOURCE_DIR=... -DOUTPUT=... -DNAME=... -DVERSION=...
#         -DCONTENTS_FROM_BIN=../share/NAME/contents -P build_info.cmake
set(revision "")
if(EXISTS "${SOURCE_DIR}/.git")
  find_program(GIT_EXECUTABLE git)
  if(GIT_EXECUTABLE)
    execute_process(COMMAND "${GIT_EXECUTABLE}" describe --tags --always --dirty
                    WORKING_DIRECTORY "${SOURCE_DIR}"
                    OUTPUT_VARIABLE revision OUTPUT_STRIP_TRAILING_WHITESPACE
                    RESULT_VARIABLE result ERROR_QUIET)
    if(NOT result EQUAL 0)
      set(revision "")
    endif()
  endif()
endif()

set(text "// Written by the build (cmake/build_info.cmake); do not edit.
#include \"game/build_info.h\"

const char kProgramName[] = \"${NAME}\";
const char kProgramVersion[] = \"${VERSION}\";
const char kSourceRevision[] = \"${revision}\";
const char kInstalledContentsFromBin[] = \"${CONTENTS_FROM_BIN}\";
")
set(old "")
if(EXISTS "${OUTPUT}")
  file(READ "${OUTPUT}" old)
endif()
if(NOT old STREQUAL text)
  file(WRITE "${OUTPUT}" "${text}")
endif()
