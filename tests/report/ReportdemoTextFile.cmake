# Runs PROGRAM with --device TextFile into OUT over DATA and checks, with
# Python's csv module as a spreadsheet would read it, that the records equal
# the data's rows (its header line aside).
file(REMOVE ${OUT})
execute_process(COMMAND ${PROGRAM} --report list --data ${DATA} --device TextFile --out ${OUT}
                ERROR_VARIABLE _err RESULT_VARIABLE _rc)
if(NOT _rc EQUAL 0)
  message(FATAL_ERROR "exit ${_rc}: ${_err}")
endif()
execute_process(COMMAND ${PYTHON} -c
  "import csv,sys\nopen_=lambda p: list(csv.reader(open(p,newline='',encoding='utf-8')))\nout=open_(sys.argv[1]); data=open_(sys.argv[2])[1:]\nsys.exit(0 if out==data else 'records differ: %d against %d rows' % (len(out),len(data)))"
  ${OUT} ${DATA} RESULT_VARIABLE _rc ERROR_VARIABLE _err)
if(NOT _rc EQUAL 0)
  message(FATAL_ERROR "${_err}")
endif()
