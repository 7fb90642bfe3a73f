# Runs PROGRAM on REPORT over DATA twice: once as the sample is built, once
# from the template it saves (binary, then text); the pages and their draw
# commands must be the same. Bands are compared without their user names,
# which a stored band does not keep (the samples name theirs).
set(_template ${OUT_DIR}/reportdemo_${REPORT}.rtm)
execute_process(COMMAND ${PROGRAM} --report ${REPORT} --data ${DATA} --dump ${OUT_DIR}/reportdemo_${REPORT}_sample.txt
                OUTPUT_VARIABLE _sample ERROR_VARIABLE _err RESULT_VARIABLE _rc)
if(NOT _rc EQUAL 0)
  message(FATAL_ERROR "sample: exit ${_rc}: ${_err}")
endif()
function(read_dump _file _var)
  file(READ ${_file} _dump)
  string(REGEX REPLACE "([^\t\n]*\t[^\t\n]*\t)[^\t\n]*\t" "\\1" _dump "${_dump}")
  set(${_var} "${_dump}" PARENT_SCOPE)
endfunction()
read_dump(${OUT_DIR}/reportdemo_${REPORT}_sample.txt _sampleDump)
string(REGEX MATCHALL "\n[0-9]+:" _samplePages "\n${_sample}")
foreach(_form binary text)
  set(_text)
  if(_form STREQUAL "text")
    set(_text --text)
  endif()
  file(REMOVE ${_template})
  execute_process(COMMAND ${PROGRAM} --report ${REPORT} --data ${DATA} --save-template ${_template} ${_text}
                  ERROR_VARIABLE _err RESULT_VARIABLE _rc)
  if(NOT _rc EQUAL 0)
    message(FATAL_ERROR "save (${_form}): exit ${_rc}: ${_err}")
  endif()
  execute_process(COMMAND ${PROGRAM} --template ${_template} --data ${DATA}
                          --dump ${OUT_DIR}/reportdemo_${REPORT}_template.txt
                  OUTPUT_VARIABLE _loaded ERROR_VARIABLE _err RESULT_VARIABLE _rc)
  if(NOT _rc EQUAL 0)
    message(FATAL_ERROR "template (${_form}): exit ${_rc}: ${_err}")
  endif()
  read_dump(${OUT_DIR}/reportdemo_${REPORT}_template.txt _loadedDump)
  string(REGEX MATCHALL "\n[0-9]+:" _loadedPages "\n${_loaded}")
  if(NOT _loadedPages STREQUAL _samplePages OR NOT _loadedDump STREQUAL _sampleDump)
    message(FATAL_ERROR "the ${_form} template of ${REPORT} prints other pages:\n${_loaded}\nthan the sample:\n${_sample}")
  endif()
endforeach()
