# Runs PROGRAM over the list sample with two criteria and checks, against
# Python's own reading of DATA, that the dump's detail rows are exactly the
# matching records, in order; then that bad criteria end with exit 2.
execute_process(COMMAND ${PROGRAM} --report list --data ${DATA} --criteria City:soInList:Lyon,Oslo
                        --criteria Amount:soGreaterThan:50 --dump ${OUT}
                OUTPUT_VARIABLE _out ERROR_VARIABLE _err RESULT_VARIABLE _rc)
if(NOT _rc EQUAL 0)
  message(FATAL_ERROR "exit ${_rc}: ${_err}")
endif()
execute_process(COMMAND ${PYTHON} -c
  "import csv,sys\nrows=[r for r in csv.DictReader(open(sys.argv[2],newline='',encoding='utf-8')) if r['City'] in ('Lyon','Oslo') and float(r['Amount'])>50]\nids=[l.split('\\t')[7] for l in open(sys.argv[1],encoding='utf-8').read().splitlines() if l.split('\\t')[2]=='Detail' and l.split('\\t')[3]=='10000']\nsys.exit(0 if ids==[r['Id'] for r in rows] else 'detail ids %s' % ids)"
  ${OUT} ${DATA} RESULT_VARIABLE _rc ERROR_VARIABLE _err)
if(NOT _rc EQUAL 0)
  message(FATAL_ERROR "${_err}")
endif()
foreach(_bad "Town:soEqual:x" "City:soMaybe:x" "City" "Amount:soEqual:maybe" "Id:soInList:1.234.567")
  execute_process(COMMAND ${PROGRAM} --report list --data ${DATA} --criteria ${_bad}
                  OUTPUT_VARIABLE _out ERROR_VARIABLE _err RESULT_VARIABLE _rc)
  if(NOT _rc EQUAL 2 OR NOT _out STREQUAL "")
    message(FATAL_ERROR "--criteria ${_bad}: exit ${_rc}, output \"${_out}\"")
  endif()
endforeach()
