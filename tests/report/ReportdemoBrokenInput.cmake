# Runs PROGRAM on a broken template and on a picture that does not decode,
# on every device that shows no window. Each run must end at once (a modal
# dialog nobody can answer would hang it), with its exit code and one line on
# standard error naming the file: 2 for the template, 1 for the picture.
file(REMOVE_RECURSE ${OUT_DIR})
file(MAKE_DIRECTORY ${OUT_DIR})

# demo_expect(<code> <what the line must hold> <arguments>...)
function(demo_expect code needle)
  execute_process(COMMAND ${PROGRAM} ${ARGN} TIMEOUT 20
                  RESULT_VARIABLE _rc OUTPUT_QUIET ERROR_VARIABLE _err)
  string(REGEX MATCHALL "\n" _breaks "${_err}")
  list(LENGTH _breaks _lines)
  string(FIND "${_err}" "${needle}" _at)
  if(NOT "${_rc}" STREQUAL "${code}" OR NOT _lines EQUAL 1 OR _at LESS 0)
    message(SEND_ERROR "${ARGN}\n  exit ${_rc} (want ${code}), ${_lines} lines, want \"${needle}\":\n${_err}")
  endif()
endfunction()

# A template whose report names a property no report has.
set(_template ${OUT_DIR}/broken.rtm)
execute_process(COMMAND ${PROGRAM} --report list --data ${DATA} --save-template ${OUT_DIR}/list.rtm --text
                RESULT_VARIABLE _rc ERROR_VARIABLE _err)
if(NOT _rc EQUAL 0)
  message(FATAL_ERROR "--save-template: exit ${_rc}: ${_err}")
endif()
file(READ ${OUT_DIR}/list.rtm _text)
string(REPLACE "AutoStop = False" "AutoStopp = False" _text "${_text}")
file(WRITE ${_template} "${_text}")
foreach(_device Trace TextFile ReportTextFile ArchiveFile)
  demo_expect(2 "${_template}: Property AutoStopp does not exist"
              --template ${_template} --data ${DATA} --device ${_device} --out ${OUT_DIR}/t.${_device})
endforeach()
demo_expect(2 "${_template}: Property AutoStopp" --template ${_template} --data ${DATA} --device Printer)
demo_expect(2 "${_template}: Property AutoStopp" --template ${_template} --data ${DATA} --pdf ${OUT_DIR}/t.pdf)

# A picture that does not decode, in the first record and in a later one.
file(WRITE ${OUT_DIR}/junk.bmp "no picture at all")
file(WRITE ${OUT_DIR}/first.csv "Picture\n${OUT_DIR}/junk.bmp\npicture.gif\n")
file(WRITE ${OUT_DIR}/later.csv "Picture\npicture.gif\n${OUT_DIR}/junk.bmp\n")
foreach(_csv first later)
  set(_record 1)
  if(_csv STREQUAL "later")
    set(_record 2)
  endif()
  foreach(_device Trace TextFile ReportTextFile ArchiveFile Screen)
    set(_out ${OUT_DIR}/p.${_device})
    if(_device STREQUAL "Screen")
      set(_out ${OUT_DIR}/p.png)
    endif()
    demo_expect(1 "${OUT_DIR}/junk.bmp, record ${_record}: "
                --report shapes --data ${OUT_DIR}/${_csv}.csv --device ${_device} --out ${_out})
  endforeach()
  demo_expect(1 "${OUT_DIR}/junk.bmp, record ${_record}: " --report shapes --data ${OUT_DIR}/${_csv}.csv
              --pdf ${OUT_DIR}/p.pdf)
endforeach()

# A picture file that is not there, or a folder named as one, fails as a
# picture that does not decode, instead of printing blank.
file(MAKE_DIRECTORY ${OUT_DIR}/folder.gif)
file(WRITE ${OUT_DIR}/gone.csv "Picture\npicture.gif\n${OUT_DIR}/gone.gif\n")
file(WRITE ${OUT_DIR}/folder.csv "Picture\n${OUT_DIR}/folder.gif\npicture.gif\n")
foreach(_device Trace TextFile ArchiveFile)
  demo_expect(1 "${OUT_DIR}/gone.gif, record 2: No such file or directory"
              --report shapes --data ${OUT_DIR}/gone.csv --device ${_device} --out ${OUT_DIR}/g.${_device})
  demo_expect(1 "${OUT_DIR}/folder.gif, record 1: Is a directory"
              --report shapes --data ${OUT_DIR}/folder.csv --device ${_device} --out ${OUT_DIR}/f.${_device})
endforeach()
demo_expect(1 "${OUT_DIR}/gone.gif, record 2: " --report shapes --data ${OUT_DIR}/gone.csv --pdf ${OUT_DIR}/g.pdf)
# A saved template prints its data picture through the same check.
execute_process(COMMAND ${PROGRAM} --report shapes --data ${OUT_DIR}/gone.csv --save-template ${OUT_DIR}/shapes.rtm
                RESULT_VARIABLE _rc ERROR_VARIABLE _err)
if(NOT _rc EQUAL 0)
  message(FATAL_ERROR "--save-template shapes: exit ${_rc}: ${_err}")
endif()
demo_expect(1 "${OUT_DIR}/gone.gif, record 2: " --template ${OUT_DIR}/shapes.rtm --data ${OUT_DIR}/gone.csv
            --device Trace)

# A template that reads a field the CSV does not have: the line names both.
file(WRITE ${OUT_DIR}/no-amount.csv "Id,Name,City\n1,Ben 1,Lyon\n")
foreach(_device Trace TextFile)
  demo_expect(1 "${OUT_DIR}/list.rtm: ${OUT_DIR}/no-amount.csv, record 1: Field 'Amount' not found"
              --template ${OUT_DIR}/list.rtm --data ${OUT_DIR}/no-amount.csv --device ${_device} --out ${OUT_DIR}/a.${_device})
endforeach()
demo_expect(1 "${OUT_DIR}/list.rtm: ${OUT_DIR}/no-amount.csv, record 1: Field 'Amount' not found"
            --template ${OUT_DIR}/list.rtm --data ${OUT_DIR}/no-amount.csv --pdf ${OUT_DIR}/a.pdf)

# A template whose report lost its data pipeline still says AutoStop False:
# it prints as a report without data, and the run ends.
file(READ ${OUT_DIR}/list.rtm _text)
string(REPLACE "\n  DataPipelineName = 'Data'\n" "\n  DataPipelineName = 'Dat'\n" _lost "${_text}")
if(_lost STREQUAL _text)
  message(FATAL_ERROR "the saved template names no pipeline 'Data'")
endif()
set(_template ${OUT_DIR}/lost.rtm)
file(WRITE ${_template} "${_lost}")
foreach(_device Trace ArchiveFile)
  demo_expect(0 "${_template}: a report reads no data pipeline"
              --template ${_template} --data ${DATA} --device ${_device} --out ${OUT_DIR}/l.${_device})
endforeach()
demo_expect(0 "${_template}: a report reads no data pipeline" --template ${_template} --data ${DATA}
            --pdf ${OUT_DIR}/l.pdf)
