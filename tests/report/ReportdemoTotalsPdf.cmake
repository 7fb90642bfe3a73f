# Prints the grouped sample and the variables sample into PDF and reads them
# back with pdftotext: every group's sum stands in its header (again where
# the group goes on over a page end) and in its footer, and the page footers
# count the pages of the whole report. GROUP_SUMS: "group=sum" entries.
foreach(_sample grouped variables)
  file(REMOVE ${OUT_DIR}/${_sample}.pdf)
endforeach()
file(MAKE_DIRECTORY ${OUT_DIR})
execute_process(COMMAND ${PROGRAM} --report grouped --data ${GROUPED} --pdf ${OUT_DIR}/grouped.pdf
                ERROR_VARIABLE _err RESULT_VARIABLE _rc)
if(NOT _rc EQUAL 0)
  message(FATAL_ERROR "reportdemo grouped exit ${_rc}: ${_err}")
endif()
execute_process(COMMAND pdftotext -layout ${OUT_DIR}/grouped.pdf - OUTPUT_VARIABLE _text)
string(REGEX REPLACE "[ \t]+" " " _text "\n${_text}")
foreach(_entry IN LISTS GROUP_SUMS)
  string(REPLACE "=" ";" _pair "${_entry}")
  list(GET _pair 0 _group)
  list(GET _pair 1 _sum)
  if(NOT _text MATCHES "\n${_group} ${_sum}\n")
    message(FATAL_ERROR "no header with the sum ${_sum} of group ${_group}:\n${_text}")
  endif()
  string(REGEX MATCHALL "\nEnd of group ${_sum}\n" _footers "${_text}")
  if(NOT _footers)
    message(FATAL_ERROR "no footer with the sum ${_sum} of group ${_group}")
  endif()
endforeach()

execute_process(COMMAND ${PROGRAM} --report variables --data ${LIST} --pdf ${OUT_DIR}/variables.pdf
                ERROR_VARIABLE _err RESULT_VARIABLE _rc)
if(NOT _rc EQUAL 0)
  message(FATAL_ERROR "reportdemo variables exit ${_rc}: ${_err}")
endif()
execute_process(COMMAND pdftotext -layout ${OUT_DIR}/variables.pdf - OUTPUT_VARIABLE _text)
foreach(_page 1 2 3)
  if(NOT _text MATCHES "Page ${_page} +Page ${_page} of 3")
    message(FATAL_ERROR "page ${_page} does not say \"Page ${_page} of 3\":\n${_text}")
  endif()
endforeach()
