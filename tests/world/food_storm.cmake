# The food storm (RECORD) under a budget of BUDGET_MB: the runner ends with
# its message and 1 once the food has outgrown it, after the whirls' warm-up
# (so while running, not in set-up), well before the frames asked for.
set(ENV{TOVRINE_WORLD_MEMORY_MB} ${BUDGET_MB})
execute_process(COMMAND ${RUNNER} --record ${RECORD} --frames 2000 --no-draw
    OUTPUT_VARIABLE output ERROR_VARIABLE errors RESULT_VARIABLE result)
if(NOT result EQUAL 1)
    message(FATAL_ERROR "exit code ${result}, not 1:\n${errors}")
endif()
if(NOT errors MATCHES "^tovrine-world: out of memory at frame ([0-9]+)\n$")
    message(FATAL_ERROR "not the out-of-memory message:\n${errors}")
endif()
if(CMAKE_MATCH_1 LESS 152 OR CMAKE_MATCH_1 GREATER 400)
    message(FATAL_ERROR "out of memory at frame ${CMAKE_MATCH_1}: the food is laid from frame 152 on")
endif()
message(STATUS "${errors}")
