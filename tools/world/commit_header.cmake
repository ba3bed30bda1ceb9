# Writes HEADER with the git commit of SOURCE ("" when it is no git checkout),
# marked "-modified" when the work tree differs from it; rewritten only when
# the text changes, so that an unchanged commit rebuilds nothing.
execute_process(COMMAND git -C ${SOURCE} rev-parse HEAD
    OUTPUT_VARIABLE commit OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE failed ERROR_QUIET)
if(failed)
    set(commit "")
else()
    execute_process(COMMAND git -C ${SOURCE} diff --quiet HEAD RESULT_VARIABLE changed ERROR_QUIET)
    if(changed)
        string(APPEND commit "-modified")
    endif()
endif()
set(text "// Written by the build (commit_header.cmake).\n#define TOVRINE_COMMIT \"${commit}\"\n")
if(EXISTS ${HEADER})
    file(READ ${HEADER} old)
endif()
if(NOT "${old}" STREQUAL "${text}")
    file(WRITE ${HEADER} "${text}")
endif()
