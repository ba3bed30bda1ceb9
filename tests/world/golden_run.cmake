# Runs tovrine-world with ARGS (arguments joined by |) plus --stats and compares the
# SHA-256 of everything it printed with DIGEST.
string(REPLACE "|" ";" ARGS "${ARGS}")
execute_process(COMMAND ${RUNNER} ${ARGS} --stats
    OUTPUT_VARIABLE output ERROR_VARIABLE errors RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "tovrine-world ${ARGS} failed (${result}):\n${errors}")
endif()
string(SHA256 digest "${output}")
if(NOT digest STREQUAL DIGEST)
    string(REGEX MATCH "[^\n]*\n$" lastLine "${output}")
    message(FATAL_ERROR "the replay of ${NAME} changed: digest ${digest}, stored ${DIGEST}\n"
        "last line: ${lastLine}"
        "If the world's rules changed on purpose, run tests/world/update_golden.sh.")
endif()
