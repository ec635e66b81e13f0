# Starts the program and lets it run for two seconds: a start that crashes or quits on its
# own fails; being stopped by the timeout is the expected end.
execute_process(COMMAND timeout 2 "${PROGRAM}" RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 124)
  message(FATAL_ERROR "tesra ended by itself (exit ${rc}): ${out} ${err}")
endif()
