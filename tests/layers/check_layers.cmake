# cmake -DBUILD_DIR=<build folder> -DPROBES=<probes.txt> -P check_layers.cmake
# Builds each probe of the list ("probe|target|ALLOWED or FORBIDDEN|header"
# per line) and fails unless every allowed include is found, with all it
# includes, and every forbidden one fails for the one reason that counts: the
# header is not found.
file(STRINGS "${PROBES}" _lines)
set(_probes)
foreach(_line IN LISTS _lines)
  string(REPLACE "|" ";" _fields "${_line}")
  list(GET _fields 0 _probe)
  list(APPEND _probes ${_probe})
endforeach()
file(STRINGS "${BUILD_DIR}/CMakeCache.txt" _generator REGEX "^CMAKE_GENERATOR:")
if(NOT _generator MATCHES "=Ninja$")
  message(FATAL_ERROR "The layering check reads Ninja's output; ${BUILD_DIR} is not a Ninja build")
endif()
# All probes in one build that goes on past failures, as one build a probe
# took longer to start than to compile, and probes compile side by side. A
# failure is told apart by the name of the probe in the build's output: in
# Ninja's line for the failed step and in the compiler's message, which is
# read in English whatever the language of the run.
execute_process(COMMAND ${CMAKE_COMMAND} -E env LC_ALL=C LANGUAGE=
                        ${CMAKE_COMMAND} --build "${BUILD_DIR}" --target ${_probes} -- -k 0
                RESULT_VARIABLE _rc OUTPUT_VARIABLE _out ERROR_VARIABLE _out)
set(_failures 0)
foreach(_line IN LISTS _lines)
  string(REPLACE "|" ";" _fields "${_line}")
  list(GET _fields 0 _probe)
  list(GET _fields 1 _target)
  list(GET _fields 2 _expect)
  list(GET _fields 3 _header)
  set(_failed FALSE)
  if(_out MATCHES "FAILED: [^\n]*/${_probe}\\.dir/")
    set(_failed TRUE)
  endif()
  # GCC: "<header>: No such file or directory"; clang: "'<header>' file not found".
  string(REGEX REPLACE "([.+])" "\\\\\\1" _quoted "${_header}")
  set(_missing FALSE)
  if(_out MATCHES "/${_probe}\\.cpp:[0-9]+:[0-9]+: fatal error: (${_quoted}: No such file or directory|'${_quoted}' file not found)")
    set(_missing TRUE)
  endif()
  if(_expect STREQUAL "ALLOWED" AND NOT _failed)
    message(STATUS "ok: ${_header} is usable from ${_target}")
  elseif(_expect STREQUAL "FORBIDDEN" AND _failed AND _missing)
    message(STATUS "ok: ${_header} is out of reach of ${_target}")
  else()
    message(STATUS "WRONG: ${_header} from ${_target}, expected ${_expect}")
    math(EXPR _failures "${_failures} + 1")
  endif()
endforeach()
if(_failures GREATER 0)
  message(STATUS "The build of the probes returned ${_rc}:\n${_out}")
  message(FATAL_ERROR "${_failures} include(s) do not follow the layering rule")
endif()
