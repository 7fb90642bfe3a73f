# cmake -DBUILD_DIR=<build folder> -DPROBES=<probes.txt> -P check_layers.cmake
# Builds each probe of the list ("probe|target|ALLOWED or FORBIDDEN|header"
# per line) and fails unless every allowed include compiles and every forbidden
# one fails for the one reason that counts: the header is not found.
file(STRINGS "${PROBES}" _lines)
set(_failures 0)
foreach(_line IN LISTS _lines)
  string(REPLACE "|" ";" _fields "${_line}")
  list(GET _fields 0 _probe)
  list(GET _fields 1 _target)
  list(GET _fields 2 _expect)
  list(GET _fields 3 _header)
  execute_process(COMMAND ${CMAKE_COMMAND} --build "${BUILD_DIR}" --target ${_probe}
                  RESULT_VARIABLE _rc OUTPUT_VARIABLE _out ERROR_VARIABLE _out)
  # GCC: "<header>: No such file or directory"; clang: "'<header>' file not found".
  string(REGEX REPLACE "([.+])" "\\\\\\1" _quoted "${_header}")
  set(_missing FALSE)
  if(_out MATCHES "${_quoted}: No such file or directory" OR _out MATCHES "'${_quoted}' file not found")
    set(_missing TRUE)
  endif()
  if(_expect STREQUAL "ALLOWED" AND _rc EQUAL 0)
    message(STATUS "ok: ${_header} is usable from ${_target}")
  elseif(_expect STREQUAL "FORBIDDEN" AND NOT _rc EQUAL 0 AND _missing)
    message(STATUS "ok: ${_header} is out of reach of ${_target}")
  else()
    message(STATUS "WRONG: ${_header} from ${_target}, expected ${_expect}, build returned ${_rc}:\n${_out}")
    math(EXPR _failures "${_failures} + 1")
  endif()
endforeach()
if(_failures GREATER 0)
  message(FATAL_ERROR "${_failures} include(s) do not follow the layering rule")
endif()
