# Runs PROGRAM with --device ArchiveFile into OUT over DATA and checks the
# archive's container with Python: the page area's start 4 + 8 x pages,
# offsets rising from 0, pages numbered from 1 and "TPF0" at each page.
file(REMOVE ${OUT})
execute_process(COMMAND ${PROGRAM} --report list --data ${DATA} --device ArchiveFile --out ${OUT}
                ERROR_VARIABLE _err RESULT_VARIABLE _rc)
if(NOT _rc EQUAL 0)
  message(FATAL_ERROR "exit ${_rc}: ${_err}")
endif()
execute_process(COMMAND ${PYTHON} -c
  "import struct,sys\nb=open(sys.argv[1],'rb').read()\nh=struct.unpack_from('<i',b,0)[0]\nn=(h-4)//8\ne=[struct.unpack_from('<ii',b,4+8*i) for i in range(n)]\nok=n>0 and (h-4)%8==0 and h<=len(b) and e[0][0]==0 and all(e[i][0]<e[i+1][0] for i in range(n-1)) and [p for _,p in e]==list(range(1,n+1)) and all(b[h+o:h+o+4]==b'TPF0' for o,_ in e)\nsys.exit(0 if ok else 'bad archive: %r' % (e,))"
  ${OUT} RESULT_VARIABLE _rc ERROR_VARIABLE _err)
if(NOT _rc EQUAL 0)
  message(FATAL_ERROR "${_err}")
endif()
