# Runs PROGRAM with ARGS and compares its standard output with GOLDEN, byte
# for byte; the program must exit 0.
execute_process(COMMAND ${PROGRAM} ${ARGS} OUTPUT_VARIABLE _out ERROR_VARIABLE _err RESULT_VARIABLE _rc)
if(NOT _rc EQUAL 0)
  message(FATAL_ERROR "exit ${_rc}: ${_err}")
endif()
file(READ ${GOLDEN} _want)
if(NOT _out STREQUAL _want)
  message(FATAL_ERROR "output differs from ${GOLDEN}:\n${_out}")
endif()
