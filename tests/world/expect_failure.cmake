# Runs tovrine-world with ARGS (arguments joined by |) and passes when it exits non-zero
# with a message on stderr matching MESSAGE and nothing on stdout.
string(REPLACE "|" ";" ARGS "${ARGS}")
execute_process(COMMAND ${RUNNER} ${ARGS}
    OUTPUT_VARIABLE output ERROR_VARIABLE errors RESULT_VARIABLE result)
if(result EQUAL 0)
    message(FATAL_ERROR "tovrine-world ${ARGS} succeeded; it should have failed")
endif()
if(NOT errors MATCHES "${MESSAGE}")
    message(FATAL_ERROR "tovrine-world ${ARGS}: the message does not match \"${MESSAGE}\":\n${errors}")
endif()
if(NOT output STREQUAL "")
    message(FATAL_ERROR "tovrine-world ${ARGS} printed figures before failing:\n${output}")
endif()
