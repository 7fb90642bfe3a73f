# A template from before 4.0 prints with the library's conversion notice on
# the way: the notice is a line on standard error, the file is written and
# the run ends with exit 0. A report whose print fails still ends with 1.
set(_template ${OUT_DIR}/reportdemo_old.rtm)
set(_out ${OUT_DIR}/reportdemo_old.txt)
file(REMOVE ${_template} ${_out})
execute_process(COMMAND ${PROGRAM} --report list --data ${DATA} --save-template ${_template} --text
                ERROR_VARIABLE _err RESULT_VARIABLE _rc)
if(NOT _rc EQUAL 0)
  message(FATAL_ERROR "save: exit ${_rc}: ${_err}")
endif()
file(READ ${_template} _text)
string(REGEX REPLACE "Version = '[^']*'" "Version = '3.52'" _old "${_text}")
if(_old STREQUAL _text)
  message(FATAL_ERROR "the template names no version")
endif()
file(WRITE ${_template} "${_old}")
execute_process(COMMAND ${PROGRAM} --template ${_template} --data ${DATA} --device TextFile --out ${_out}
                ERROR_VARIABLE _err RESULT_VARIABLE _rc)
if(NOT _rc EQUAL 0)
  message(FATAL_ERROR "old template: exit ${_rc}: ${_err}")
endif()
if(NOT _err MATCHES "converted to 4.0 format")
  message(FATAL_ERROR "old template: no notice on standard error: \"${_err}\"")
endif()
file(SIZE ${_out} _size)
if(_size EQUAL 0)
  message(FATAL_ERROR "old template: ${_out} is empty")
endif()
execute_process(COMMAND ${PROGRAM} --template ${_template} --data ${DATA} --device TextFile
                        --out ${OUT_DIR}/no-such-folder/reportdemo_old.txt
                ERROR_VARIABLE _err RESULT_VARIABLE _rc)
if(NOT _rc EQUAL 1)
  message(FATAL_ERROR "old template into a missing folder: exit ${_rc}: ${_err}")
endif()
