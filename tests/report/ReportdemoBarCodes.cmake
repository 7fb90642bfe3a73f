# Prints the bar-code sample through PROGRAM into PDF and, through the screen
# device, into PNG pages under OUT_DIR; decodes every page with ZBARIMG
# (the PDF's pages rasterised at 300 dpi by PDFTOPPM) and demands that each
# way gives back exactly the symbols of EXPECTED. MSI, Postnet and FIM are
# not read by zbar; their modules are checked against libzint elsewhere.
file(REMOVE_RECURSE "${OUT_DIR}")
file(MAKE_DIRECTORY "${OUT_DIR}")

function(decode_pages _glob _result)
  file(GLOB _pages "${OUT_DIR}/${_glob}")
  set(_all)
  foreach(_page IN LISTS _pages)
    execute_process(COMMAND ${ZBARIMG} --raw -q -Sean2.enable=1 -Sean5.enable=1 ${_page}
                    OUTPUT_VARIABLE _out ERROR_QUIET)
    string(REPLACE "\n" ";" _lines "${_out}")
    foreach(_line IN LISTS _lines)
      if(NOT _line STREQUAL "")
        list(APPEND _all "${_line}")
      endif()
    endforeach()
  endforeach()
  list(SORT _all)
  set(${_result} "${_all}" PARENT_SCOPE)
endfunction()

set(_want ${EXPECTED})
list(SORT _want)

execute_process(COMMAND ${PROGRAM} --report barcodes --data ${DATA} --pdf ${OUT_DIR}/codes.pdf
                RESULT_VARIABLE _rc ERROR_VARIABLE _err)
if(NOT _rc EQUAL 0)
  message(FATAL_ERROR "--pdf: exit ${_rc}: ${_err}")
endif()
execute_process(COMMAND ${PDFTOPPM} -r 300 -png ${OUT_DIR}/codes.pdf ${OUT_DIR}/print RESULT_VARIABLE _rc)
if(NOT _rc EQUAL 0)
  message(FATAL_ERROR "pdftoppm: exit ${_rc}")
endif()
decode_pages("print-*.png" _printed)
if(NOT _printed STREQUAL _want)
  message(FATAL_ERROR "printed: ${_printed}\nexpected: ${_want}")
endif()

execute_process(COMMAND ${PROGRAM} --report barcodes --data ${DATA} --device Screen --out ${OUT_DIR}/screen.png
                RESULT_VARIABLE _rc ERROR_VARIABLE _err)
if(NOT _rc EQUAL 0)
  message(FATAL_ERROR "--device Screen: exit ${_rc}: ${_err}")
endif()
decode_pages("screen-*.png" _shown)
if(NOT _shown STREQUAL _want)
  message(FATAL_ERROR "on screen: ${_shown}\nexpected: ${_want}")
endif()
