# Runs PROGRAM with --printer naming no queue, against the sandbox's server
# with its one queue "Demo": exit 1 and one line of the program's on the
# error output that names the printer asked for and the printers there are
# (Qt may add warnings of its own).
execute_process(COMMAND ${SANDBOX} --queue Demo --keep ${KEEP} --
                        ${PROGRAM} --report list --data ${DATA} --device Printer --printer Nowhere
                OUTPUT_VARIABLE _out ERROR_VARIABLE _err RESULT_VARIABLE _rc)
set(_want "reportdemo: no printer \"Nowhere\"; the printers are \"Demo\", \"Print to File (PDF)\"")
string(REGEX MATCHALL "reportdemo:[^\n]*" _lines "${_err}")
if(_rc EQUAL 4)
  message("skipped: the CUPS packages are missing: ${_err}")
elseif(NOT _rc EQUAL 1)
  message(FATAL_ERROR "exit ${_rc}, not 1:\n${_out}\n${_err}")
elseif(NOT _lines STREQUAL _want)
  message(FATAL_ERROR "the program's error output is not the one line\n${_want}\nbut:\n${_err}")
endif()
