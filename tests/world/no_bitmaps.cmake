# A world run without drawing needs no bitmap: with the resources folder
# pointing nowhere, --no-draw prints the figures of a run drawn with the
# bitmaps, frame for frame.
execute_process(COMMAND ${RUNNER} --preset 0 --frames 1000 --stats
    OUTPUT_VARIABLE drawn ERROR_VARIABLE errors RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "the drawn run failed (${result}):\n${errors}")
endif()
set(ENV{TOVRINE_RESOURCES} /nonexistent)
execute_process(COMMAND ${RUNNER} --preset 0 --frames 1000 --no-draw --stats
    OUTPUT_VARIABLE bare ERROR_VARIABLE errors RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "the run without bitmaps failed (${result}):\n${errors}")
endif()
string(LENGTH "${drawn}" length)
if(length LESS 1000 OR NOT drawn STREQUAL bare)
    message(FATAL_ERROR "the figures without bitmaps differ from those drawn with them")
endif()
